#pragma once

#include <QtTest/QtTest>

// Like QTEST_MAIN, but headless and deterministic by default: the offscreen platform and a fixed
// 96 DPI unless the environment says otherwise.
#define KORVANTA_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))                                            \
            qputenv("QT_FONT_DPI", "96");                                                          \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// For tests that need no widgets.
#define KORVANTA_CORE_TEST_MAIN(TestObject)                                                        \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
