// Qt's standard texts in Japanese, whatever the locale.

#include "platform/translations.h"

#include "support/testmain.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>

using namespace korvanta;

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void standardButtonsAreJapanese()
    {
        // The tests run in the C locale; the translation is loaded all the same.
        QLocale::setDefault(QLocale::c());
        QVERIFY2(installJapaneseQtTranslation(*qApp),
            qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                + QStringLiteral(": qtbase_ja.qm missing")));
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
        const auto shown = [&box](QMessageBox::StandardButton b) {
            return box.button(b)->text().remove(QLatin1Char('&'));
        };
        QVERIFY2(shown(QMessageBox::Yes).startsWith(QStringLiteral("はい")),
            qPrintable(shown(QMessageBox::Yes)));
        QVERIFY2(shown(QMessageBox::No).startsWith(QStringLiteral("いいえ")),
            qPrintable(shown(QMessageBox::No)));
    }
};

KORVANTA_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
