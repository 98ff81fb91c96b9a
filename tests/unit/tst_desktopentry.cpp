#include "core/desktopentry.h"

#include "support/testmain.h"

using namespace korvanta;

class TestDesktopEntry : public QObject
{
    Q_OBJECT

private slots:
    void execLine_data();
    void execLine();
    void refusedExecLine_data();
    void refusedExecLine();
    void hostileNames_data();
    void hostileNames();
    void entryValue_data();
    void entryValue();
    void candidates_data();
    void candidates();
};

void TestDesktopEntry::execLine_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    const QString plain = QStringLiteral("/home/u/list.csv");
    const QString blanks = QStringLiteral("/home/u/my data/得意先 一覧.CSV");
    const QString nasty = QStringLiteral("/tmp/a\"b $(x) `y` ;z&.csv");

    QTest::newRow("%F alone") << "mousepad %F" << plain << "mousepad" << QStringList { plain };
    QTest::newRow("%U alone") << "gedit %U" << plain << "gedit" << QStringList { plain };
    QTest::newRow("%f with options")
        << "kate -b %f --new" << plain << "kate" << QStringList { "-b", plain, "--new" };
    QTest::newRow("%u") << "editor %u" << plain << "editor" << QStringList { plain };
    QTest::newRow("blanks in the path stay one argument")
        << "gedit %U" << blanks << "gedit" << QStringList { blanks };
    QTest::newRow("shell characters in the path stay literal")
        << "gedit %U" << nasty << "gedit" << QStringList { nasty };
    QTest::newRow("field code inside a word")
        << "ed --file=%f" << blanks << "ed" << QStringList { "--file=" + blanks };
    QTest::newRow("no field code appends the path")
        << "gvim -f" << plain << "gvim" << QStringList { "-f", plain };
    QTest::newRow("%i %c %k are dropped")
        << "ed %i %c %k %f" << plain << "ed" << QStringList { plain };
    QTest::newRow("deprecated codes are dropped")
        << "ed %d %D %n %N %v %m %U" << plain << "ed" << QStringList { plain };
    QTest::newRow("%% is a percent sign")
        << "ed --zoom=100%% %f" << plain << "ed" << QStringList { "--zoom=100%", plain };
    QTest::newRow("%% inside quotes")
        << "ed \"50%% off\" %f" << plain << "ed" << QStringList { "50% off", plain };
    QTest::newRow("%% does not count as the file")
        << "ed %%f" << plain << "ed" << QStringList { "%f", plain };
    QTest::newRow("quoted program with blanks") << "\"/opt/My Editor/bin/ed\" %F" << plain
                                                << "/opt/My Editor/bin/ed" << QStringList { plain };
    QTest::newRow("quoted escapes") << R"(ed "say \"hi\" \$HOME \`x\` \\\\" %f)" << plain << "ed"
                                    << QStringList { R"(say "hi" $HOME `x` \)", plain };
    QTest::newRow("empty quoted argument is kept")
        << "ed \"\" %f" << plain << "ed" << QStringList { "", plain };
    QTest::newRow("quotes join with a word")
        << "ed --title=\"A B\"x %f" << plain << "ed" << QStringList { "--title=A Bx", plain };
    // The string escapes come before the quoting rules: \s is an ordinary blank.
    QTest::newRow("\\s separates like a blank")
        << "ed --name=a\\sb %f" << plain << "ed" << QStringList { "--name=a", "b", plain };
    QTest::newRow("\\s inside quotes stays in the argument")
        << "ed \"a\\sb\" %f" << plain << "ed" << QStringList { "a b", plain };
    QTest::newRow("backslash outside quotes escapes the blank")
        << "/opt/my\\\\ ed %f" << plain << "/opt/my ed" << QStringList { plain };
    QTest::newRow("tabs and repeated blanks separate")
        << "  ed\t \t-x   %f  " << plain << "ed" << QStringList { "-x", plain };
    QTest::newRow("flatpak style forwarding")
        << "/usr/bin/flatpak run --file-forwarding org.x.Ed @@u %U @@" << plain
        << "/usr/bin/flatpak"
        << QStringList { "run", "--file-forwarding", "org.x.Ed", "@@u", plain, "@@" };
    QTest::newRow("file as a shell's parameter")
        << R"(sh -c "editor \"\$1\"" sh %f)" << plain << "sh"
        << QStringList { "-c", R"(editor "$1")", "sh", plain };
    QTest::newRow("env prefix") << "env A=1 /snap/bin/ed --x %F" << plain << "env"
                                << QStringList { "A=1", "/snap/bin/ed", "--x", plain };
}

void TestDesktopEntry::execLine()
{
    QFETCH(QString, exec);
    QFETCH(QString, path);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    const std::optional<LaunchCommand> command = commandFromExecLine(exec, path);
    QVERIFY(command.has_value());
    QCOMPARE(command->program, program);
    QCOMPARE(command->arguments, arguments);
}

void TestDesktopEntry::refusedExecLine_data()
{
    QTest::addColumn<QString>("exec");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("only a dropped code") << "%i";
    QTest::newRow("empty program") << "\"\" %f";
    QTest::newRow("unclosed quote") << "ed \"abc %f";
    QTest::newRow("escaped closing quote leaves it open") << "ed \"abc\\\" %f";
    QTest::newRow("lone percent at the end") << "ed %f %";
    QTest::newRow("file code inside quotes") << "sh -c \"ed %f\"";
    QTest::newRow("other code inside quotes") << "ed \"%i\" %f";
    QTest::newRow("single quotes need a shell") << "sh -c 'ed %f'";
    QTest::newRow("pipe") << "ed %f | cat";
    QTest::newRow("semicolon") << "ed %f; rm x";
    QTest::newRow("variable") << "$EDITOR %f";
    QTest::newRow("command substitution") << "ed `x` %f";
    QTest::newRow("redirection") << "ed %f > out";
}

void TestDesktopEntry::refusedExecLine()
{
    QFETCH(QString, exec);
    const std::optional<LaunchCommand> command = commandFromExecLine(exec, "/tmp/a.csv");
    QVERIFY2(!command.has_value(),
        qPrintable(command ? command->program + " " + command->arguments.join('|') : ""));
}

// Names that would run code or change the command if a shell saw them. A line that hands the
// file to a shell inside a longer argument is refused whatever the name; a plain line passes the
// name as exactly one argument.
void TestDesktopEntry::hostileNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("newline") << QStringLiteral("/d/a\ntouch pwned.csv");
    QTest::newRow("semicolon") << QStringLiteral("/d/a;touch pwned.csv");
    QTest::newRow("command substitution") << QStringLiteral("/d/$(touch pwned).csv");
    QTest::newRow("backticks") << QStringLiteral("/d/`touch pwned`.csv");
    QTest::newRow("double quotes") << QStringLiteral("/d/a\"; touch pwned; \".csv");
    QTest::newRow("single quotes") << QStringLiteral("/d/a'; touch pwned; '.csv");
    QTest::newRow("leading dash") << QStringLiteral("-c touch pwned");
}

void TestDesktopEntry::hostileNames()
{
    QFETCH(QString, path);
    const QStringList shellForms {
        QStringLiteral("sh -c \"editor %f\""), // field code inside quotes
        QStringLiteral("sh -c editor\\ %f"), // joined by a backslash
        QStringLiteral("sh -c editor\\\\ %f"), // the same with the backslash itself escaped
        QStringLiteral("sh -c editor\\;%F"),
        QStringLiteral("sh -c %u\\ x"), // the field code first
        QStringLiteral("sh -c \"editor \"%U"), // a quoted part joined to the field code
        QStringLiteral("sh -c %f\"\""),
        // The file as the shell's command string or script.
        QStringLiteral("sh -c %f"),
        QStringLiteral("/bin/bash -ec %F"),
        QStringLiteral("env LANG=C sh -c %u"),
        QStringLiteral("dash -o errexit -c %f"),
        QStringLiteral("sh %f"),
        QStringLiteral("sh -- %f"),
    };
    for (const QString& exec : shellForms) {
        const std::optional<LaunchCommand> command = commandFromExecLine(exec, path);
        QVERIFY2(!command.has_value(),
            qPrintable(exec + " -> " + (command ? command->arguments.join('|') : QString())));
    }

    const std::optional<LaunchCommand> plain = commandFromExecLine("editor --x %f", path);
    QVERIFY(plain.has_value());
    QCOMPARE(plain->program, QStringLiteral("editor"));
    QCOMPARE(plain->arguments, QStringList({ "--x", path }));
    // A quoted or escaped argument of its own beside the file is fine.
    const std::optional<LaunchCommand> separate
        = commandFromExecLine("\"/opt/My Editor/ed\" --title=A\\ B %f", path);
    QVERIFY(separate.has_value());
    QCOMPARE(separate->program, QStringLiteral("/opt/My Editor/ed"));
    QCOMPARE(separate->arguments, QStringList({ "--title=A B", path }));
}

void TestDesktopEntry::entryValue_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const QByteArray entry = "# comment\r\n"
                             "[Desktop Entry]\r\n"
                             "Name=Editor\r\n"
                             "Name[ja]=エディタ\r\n"
                             "Exec = ed --x %F  \r\n"
                             "Terminal=false\r\n"
                             "\r\n"
                             "[Desktop Action new-window]\r\n"
                             "Exec=ed --new-window\r\n"
                             "Icon=ed\r\n";
    QTest::newRow("blanks around = and CR LF") << entry << "Exec" << true << "ed --x %F";
    QTest::newRow("localized key is another key") << entry << "Name" << true << "Editor";
    QTest::newRow("localized key itself")
        << entry << "Name[ja]" << true << QString::fromUtf8("エディタ");
    QTest::newRow("keys are case-sensitive") << entry << "exec" << false << "";
    QTest::newRow("only the Desktop Entry group") << entry << "Icon" << false << "";
    QTest::newRow("no group") << QByteArray("Exec=ed %f\n") << "Exec" << false << "";
    QTest::newRow("empty value") << QByteArray("[Desktop Entry]\nExec=\n") << "Exec" << true << "";
    QTest::newRow("value keeps later = signs")
        << QByteArray("[Desktop Entry]\nExec=env A=1 ed\n") << "Exec" << true << "env A=1 ed";
    QTest::newRow("group after the action group")
        << QByteArray("[Desktop Action x]\nExec=bad\n[Desktop Entry]\nExec=good %f\n") << "Exec"
        << true << "good %f";
}

void TestDesktopEntry::entryValue()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, value);

    const std::optional<QString> result = desktopEntryValue(contents, key);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, value);
}

void TestDesktopEntry::candidates_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("dirs");
    QTest::addColumn<QStringList>("expected");

    const QStringList dirs { "/home/u/.local/share", "/usr/share/" };
    QTest::newRow("plain ID in every folder, in order")
        << "org.x.Ed.desktop" << dirs
        << QStringList { "/home/u/.local/share/applications/org.x.Ed.desktop",
               "/usr/share/applications/org.x.Ed.desktop" };
    QTest::newRow("dashes may be sub-folders")
        << "kde-k-write.desktop" << QStringList { "/usr/share" }
        << QStringList { "/usr/share/applications/kde-k-write.desktop",
               "/usr/share/applications/kde/k-write.desktop",
               "/usr/share/applications/kde/k/write.desktop" };
    QTest::newRow("empty folder entries are skipped")
        << "ed.desktop" << QStringList { "", "/usr/share" }
        << QStringList { "/usr/share/applications/ed.desktop" };
    QTest::newRow("not a desktop file") << "ed" << dirs << QStringList {};
    QTest::newRow("suffix only") << ".desktop" << dirs << QStringList {};
    QTest::newRow("slash") << "../ed.desktop" << dirs << QStringList {};
    QTest::newRow("parent folder through dashes") << "x-..-..-ed.desktop" << dirs << QStringList {};
    QTest::newRow("empty") << "" << dirs << QStringList {};
}

void TestDesktopEntry::candidates()
{
    QFETCH(QString, id);
    QFETCH(QStringList, dirs);
    QFETCH(QStringList, expected);
    QCOMPARE(desktopFileCandidates(id, dirs), expected);
}

KORVANTA_CORE_TEST_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
