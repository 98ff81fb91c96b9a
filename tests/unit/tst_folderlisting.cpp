#include "core/folderlisting.h"

#include "support/filebytes.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace korvanta;

class TestFolderListing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void normalizesFolders_data();
    void normalizesFolders();
    void listsRoot();
    void listsNestedFolder();
    void listsFoldersNamedInCodePage932();
    void listsNothingForMissingFolder_data();
    void listsNothingForMissingFolder();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_savedCurrent;
};

void TestFolderListing::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_savedCurrent = QDir::currentPath();
    // base/Nested/leaf, with a file and a link beside the folders.
    QVERIFY(QDir(m_dir->path()).mkpath("base/Nested/leaf"));
    QFile file(m_dir->filePath("base/data.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(m_dir->filePath("base/Nested"), m_dir->filePath("base/link")));
}

void TestFolderListing::cleanup()
{
    QDir::setCurrent(m_savedCurrent);
    delete m_dir;
    m_dir = nullptr;
}

void TestFolderListing::normalizesFolders_data()
{
    QTest::addColumn<QString>("input"); // "@" stands for the temporary folder
    QTest::addColumn<QString>("expected"); // "" when the folder does not exist

    const auto row = [](const char* tag, const QString& input, const QString& expected) {
        QTest::newRow(tag) << input << expected;
    };
    row("root", "/", "/");
    row("root written twice", "//", "/");
    row("above the root", "/..", "/");
    row("above the root and down", "/../..//../tmp/..", "/");
    row("above the root into a folder", "/../..@", "@");
    row("trailing slash dropped", "@/base/", "@/base");
    row("doubled slashes", "@//base///Nested", "@/base/Nested");
    row("dot-dot resolved", "@/base/Nested/leaf/../..", "@/base");
    row("dot parts dropped", "@/./base/.", "@/base");
    row("relative to the working folder", "Nested/leaf", "@/base/Nested/leaf");
    row("working folder itself", ".", "@/base");
    row("link to a folder kept as written", "@/base/link", "@/base/link");
    row("missing folder", "@/base/missing", "");
    row("a file, not a folder", "@/base/data.csv", "");
    row("empty", "", "");
}

void TestFolderListing::normalizesFolders()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    // The temporary folder itself may lie behind a link (/tmp on some systems); compare with the
    // path it is reached by, as the box would.
    const QString tmp = QDir::cleanPath(m_dir->path());
    QVERIFY(QDir::setCurrent(tmp + "/base"));
    input.replace('@', tmp);
    expected.replace('@', tmp);
    QCOMPARE(normalizedFolder(input), expected);
}

void TestFolderListing::listsRoot()
{
    const QList<FolderEntry> entries = folderEntries("/");
    QVERIFY(entries.size() > 1);
    QCOMPARE(entries.first(), (FolderEntry { "/", "/", 0, true }));
    QStringList labels;
    for (qsizetype i = 1; i < entries.size(); ++i) {
        const FolderEntry& e = entries[i];
        QCOMPARE(e.depth, 1);
        QCOMPARE(e.isCurrent, false);
        QCOMPARE(e.path, "/" + e.label);
        QVERIFY2(!e.label.startsWith('.'), qPrintable(e.label));
        QVERIFY2(QFileInfo(e.path).isDir(), qPrintable(e.path));
        labels.append(e.label);
    }
    QVERIFY(labels.contains("tmp") || labels.contains("usr"));
}

void TestFolderListing::listsNestedFolder()
{
    const QString base = m_dir->filePath("base");
    QDir dir(base);
    for (const char* name : { "zeta", "Beta", "alpha", "beta", ".git", "locked" })
        QVERIFY(dir.mkdir(name));
    QVERIFY(QFile::link(base + "/gone", base + "/broken")); // a link to nothing
    // A folder that cannot be read is still shown; entering it is the box's concern.
    QVERIFY(QFile::setPermissions(base + "/locked", QFileDevice::Permissions()));

    const QList<FolderEntry> entries = folderEntries(base + "/");
    QFile::setPermissions(
        base + "/locked", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QString path = QDir::cleanPath(base);
    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    const int chain = int(parts.size()) + 1;
    QCOMPARE(entries.size(), chain + 7);

    QCOMPARE(entries[0], (FolderEntry { "/", "/", 0, false }));
    QString ancestor;
    for (int i = 1; i < chain; ++i) {
        ancestor += '/' + parts[i - 1];
        QCOMPARE(entries[i], (FolderEntry { ancestor, parts[i - 1], i, i == chain - 1 }));
    }
    QCOMPARE(entries[chain - 1].path, path);

    QStringList labels;
    for (int i = chain; i < entries.size(); ++i) {
        QCOMPARE(entries[i].depth, chain);
        QCOMPARE(entries[i].isCurrent, false);
        QCOMPARE(entries[i].path, path + '/' + entries[i].label);
        labels.append(entries[i].label);
    }
    // Case ignored, ties in a fixed order; no file, hidden folder or broken link.
    QCOMPARE(labels, (QStringList { "alpha", "Beta", "beta", "link", "locked", "Nested", "zeta" }));
}

// Folders unpacked from Windows archives are named in code page 932 bytes: they are listed under
// their Japanese names and can be entered.
void TestFolderListing::listsFoldersNamedInCodePage932()
{
    const QString base = QDir::cleanPath(m_dir->filePath("base"));
    const QByteArray sheet = QFile::encodeName(base) + "/\x95\x5C\x8C\x76\x8E\x5A"; // 表計算
    const RemoveTreeAtEnd removed { sheet };
    QVERIFY(makeFolderAt(sheet));
    QVERIFY(makeFolderAt(sheet + "/\x83\x66\x81\x5B\x83\x5E")); // データ
    QVERIFY(putFileAt(sheet + "/\x96\xBC.csv")); // a file 名.csv, not listed

    QList<FolderEntry> entries = folderEntries(base);
    QVERIFY(
        entries.contains(FolderEntry { base + "/表計算", "表計算", entries.last().depth, false }));

    const QString inner = base + "/表計算/データ/";
    QCOMPARE(normalizedFolder(inner), base + "/表計算/データ");
    QVERIFY(canListFolder(base + "/表計算/データ"));
    entries = folderEntries(inner);
    QCOMPARE(entries.last(),
        (FolderEntry { base + "/表計算/データ", "データ", entries.last().depth, true }));
    entries = folderEntries(base + "/表計算");
    QCOMPARE(entries.last(),
        (FolderEntry { base + "/表計算/データ", "データ", entries.last().depth, false }));
}

void TestFolderListing::listsNothingForMissingFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing") << "base/missing";
    QTest::newRow("a file") << "base/data.csv";
}

void TestFolderListing::listsNothingForMissingFolder()
{
    QFETCH(QString, folder);
    QCOMPARE(folderEntries(m_dir->filePath(folder)), QList<FolderEntry>());
}

KORVANTA_CORE_TEST_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"
