// The option table drives the menus, the first start, LoadSettings and closing: every option is
// walked through the real window and the real settings file.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "ui/main/options.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <variant>

using namespace korvanta;

class TestForm1Options : public QObject, private FormFixture
{
    Q_OBJECT

    static QAction* actionOf(const Form1& form, const OptionEntry& option)
    {
        return form.*(option.entry.action);
    }

    static QString keyName(const OptionEntry& option)
    {
        return QString::fromLatin1(option.key.key);
    }

    // The keys of `section` in the order the file holds them.
    QStringList keysOfSection(const QByteArray& section) const
    {
        QStringList names;
        bool inSection = false;
        for (const QByteArray& line : m_app.readIni().split('\n')) {
            const QByteArray l = line.trimmed();
            if (l.startsWith('['))
                inSection = l == "[" + section + "]";
            else if (inSection && l.contains('='))
                names << QString::fromLatin1(l.left(l.indexOf('=')));
        }
        return names;
    }

private slots:
    void init()
    {
        resetFixture();
        m_app.writeFile("a.csv", "x,y\r\n1,2\r\n");
    }
    void cleanup() { closeForm(); }

    // Each option's menu entry carries its design name, state and check mark: the window as
    // constructed, before any settings are loaded.
    void menuEntriesAreInTheirDesignState()
    {
        Form1 form(m_app.path(), m_platform);
        for (const OptionEntry& option : optionTable()) {
            const QAction* action = actionOf(form, option);
            QVERIFY2(action, option.entry.name);
            QCOMPARE(action->objectName(), QString::fromLatin1(option.entry.name));
            QVERIFY(action->isCheckable());
            QCOMPARE(action->isChecked(), option.designChecked());
            QCOMPARE(action->isEnabled(), !(option.entry.flags & Disabled));
        }
        QVERIFY(form.ToolMenyu->actions().contains(form.AimaiKensaku));
        QVERIFY(form.FileMenyu->actions().contains(form.Dir1OpenClose));
    }

    // Every option's key is one of the declared keys, so the key-table test covers it.
    void everyOptionKeyIsDeclared()
    {
        for (const OptionEntry& option : optionTable()) {
            const auto all = allSettingKeys();
            const bool declared = std::any_of(all.begin(), all.end(), [&](const AnySettingKey& k) {
                const auto* key = std::get_if<BooleanKey>(&k);
                return key && qstrcmp(key->section, option.key.section) == 0
                    && qstrcmp(key->key, option.key.key) == 0;
            });
            QVERIFY2(declared, option.key.key);
        }
    }

    // After the first start every option holds its first-start value.
    void firstStartGivesTheFirstStartValues()
    {
        Form1& f = startForm();
        for (const OptionEntry& option : optionTable())
            QVERIFY2(actionOf(f, option)->isChecked() == option.key.firstStart, option.key.key);
    }

    // Every option stored as the opposite of its design state comes back so, and closing writes
    // each one back as "True" or "False".
    void everyOptionIsRestoredAndStored()
    {
        QByteArray ini = "[Tool]\r\n";
        for (const OptionEntry& option : optionTable())
            ini += option.key.key + QByteArray(option.designChecked() ? "=False\r\n" : "=True\r\n");
        ini += "FilePath=" + m_dataFolder.toUtf8() + "\r\n";
        QVERIFY(m_app.writeIni(ini));

        Form1& f = startForm();
        for (const OptionEntry& option : optionTable())
            QVERIFY2(actionOf(f, option)->isChecked() != option.designChecked(), option.key.key);
        QVERIFY(f.isVisible());
        f.close();

        const Settings settings(m_app.path());
        for (const OptionEntry& option : optionTable()) {
            QCOMPARE(settings.read(option.key),
                QString::fromLatin1(option.designChecked() ? "False" : "True"));
        }
    }

    // Closing writes the Tool section in its order: the options as the design lists them, the
    // forgiving search, the whole-file option and following the open file after them, then the
    // folder and the file-list selection.
    void closingWritesTheToolSectionInOrder()
    {
        QVERIFY(m_app.writeIni("[Position]\r\nHeight=6000\r\nWidth=3000\r\n"));
        Form1& f = startForm();
        f.close();
        QCOMPARE(keysOfSection("Tool"),
            QStringList({ "Dir1V", "Temae", "NoCopy", "ScrollBerSetei", "KensakuKaisi",
                "PuHyoujiSet", "SentakuDataKiroku", "WebJyunkai", "WebDblClickOpen", "AimaiKensaku",
                "GyouSeigenNashi", "AndKensaku", "JidouSaiyomi", "FilePath", "FileListIndex" }));
        // An empty Tool section ran the three commands (each acts as true) and kept the marks.
        const Settings settings(m_app.path());
        for (const OptionEntry& option : optionTable()) {
            const bool expected
                = option.onLoad == OnLoad::RunCommand ? true : option.designChecked();
            QCOMPARE(settings.value(option.key), std::optional(expected));
        }
    }
};

KORVANTA_TEST_MAIN(TestForm1Options)
#include "tst_form1_options.moc"
