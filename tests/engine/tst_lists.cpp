#include "platform/directorycursor.h"
#include "platform/reportfile.h"
#include "platform/wildcardpattern.h"
#include "treebuilder.h"

#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QList<QByteArray> subdirectoryNames(const DirList &dir)
{
    QList<QByteArray> names;
    for (qint64 i = 0; i < dir.ListCount(); ++i)
        names << dir.List(i).mid(dir.Path().size() + 1);
    return names;
}

QList<QByteArray> fileNames(const FileList &files)
{
    QList<QByteArray> names;
    for (qint64 i = 0; i < files.ListCount(); ++i)
        names << files.List(i);
    return names;
}

QByteArray readAll(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestLists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void patterns_data();
    void patterns();
    void entriesAndOrder();
    void fileListFollowsDirList();
    void changedDirectoryIsReadAgain_data();
    void changedDirectoryIsReadAgain();
    void invalidUtf8NameIsFoundAndMeasured();
    void reportFileModes();
};

void TestLists::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("every file") << "*.*" << QByteArray("readme.txt") << true;
    QTest::newRow("every file, no dot") << "*.*" << QByteArray("makefile") << true;
    QTest::newRow("extension, other case") << "*.jpg" << QByteArray("PHOTO.JPG") << true;
    QTest::newRow("extension, longer name") << "*.jpg" << QByteArray("photo.jpg.bak") << false;
    QTest::newRow("extension, similar") << "*.jpg" << QByteArray("photo.jpeg") << false;
    QTest::newRow("plain name, other case") << "setup.exe" << QByteArray("SETUP.EXE") << true;
    QTest::newRow("plain name, prefix only") << "setup.exe" << QByteArray("setup.exe1") << false;
    QTest::newRow("question mark") << "a?c.txt" << QByteArray("abc.txt") << true;
    QTest::newRow("question mark, multibyte") << "a?c.txt"
                                              << QByteArray("a\xc3\xa9"
                                                            "c.txt")
                                              << true;
    QTest::newRow("question mark needs one") << "a?c.txt" << QByteArray("ac.txt") << false;
    QTest::newRow("star in the middle") << "a*z.*" << QByteArray("abcz.doc") << true;
    QTest::newRow("star backtracking") << "*ab*ab" << QByteArray("xabyabab") << true;
    QTest::newRow("non-ASCII case")
        << "*.\xc3\x89T\xc3\x89" << QByteArray("x.\xc3\xa9t\xc3\xa9") << true;
}

void TestLists::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(QByteArray, name);
    QFETCH(bool, matches);

    TreeBuilder tree;
    tree.file(name);
    DirectoryCursor cursor;
    cursor.dir.setPath(tree.root());
    cursor.files.setPattern(pattern);
    QCOMPARE(cursor.files.ListCount(), matches ? 1 : 0);
}

void TestLists::entriesAndOrder()
{
    TreeBuilder tree;
    tree.files("top",
               {"b.txt", "B.txt", "a.TXT", "Zeta", "_under", ".hidden", "\xc3\x89t\xc3\xa9"});
    tree.dir("top/Sub");
    tree.dir("top/abc");
    tree.dir("top/.hiddendir");
    tree.file("top/.hiddendir/x.txt");
    tree.file("target.txt", 1234);
    const QByteArray top = tree.path("top");
    QCOMPARE(symlink("../target.txt", (top + "/link-to-file").constData()), 0);
    QCOMPARE(symlink("nowhere", (top + "/broken-link").constData()), 0);
    QCOMPARE(symlink("..", (top + "/loop").constData()), 0);
    QCOMPARE(mkfifo((top + "/fifo").constData(), 0600), 0);

    DirectoryCursor cursor;
    cursor.dir.setPath(top);
    // Links to directories (here a loop back up) and hidden entries are not listed.
    QCOMPARE(subdirectoryNames(cursor.dir), (QList<QByteArray>{"abc", "Sub"}));
    // Case-insensitive order; names equal that way are ordered by their raw bytes.
    QCOMPARE(fileNames(cursor.files),
             (QList<QByteArray>{"_under", "a.TXT", "B.txt", "b.txt", "link-to-file", "Zeta",
                                "\xc3\x89t\xc3\xa9"}));
    QCOMPARE(cursor.cache.fileLength(top, "link-to-file"), 1234);
}

void TestLists::fileListFollowsDirList()
{
    TreeBuilder tree;
    tree.files("one", {"1.txt"});
    tree.files("two", {"1.txt", "2.txt"});
    DirectoryCursor cursor;
    cursor.files.setPattern(QStringLiteral("2.*"));
    cursor.dir.setPath(tree.path("one"));
    QCOMPARE(cursor.files.ListCount(), 0);
    cursor.dir.setPath(tree.path("two"));
    QCOMPARE(cursor.files.Path(), tree.path("two"));
    QCOMPARE(fileNames(cursor.files), QList<QByteArray>{"2.txt"});
}

void TestLists::changedDirectoryIsReadAgain_data()
{
    QTest::addColumn<qint64>("stampOffset");
    QTest::newRow("an hour ago") << qint64(-3600);
    QTest::newRow("a day ahead") << qint64(24 * 3600);
}

// A listing is kept while its directory's stamp stays the same, wherever the
// stamp lies, and read again once the directory has changed.
void TestLists::changedDirectoryIsReadAgain()
{
    QFETCH(qint64, stampOffset);
    TreeBuilder tree;
    tree.files("d", {"old.txt"});
    tree.dir("d/sub");
    const QByteArray dir = tree.path("d");
    const timespec stamp[2] = {{time(nullptr) + stampOffset, 0}, {time(nullptr) + stampOffset, 0}};
    for (const QByteArray &path : {dir, dir + "/sub"})
        QCOMPARE(utimensat(AT_FDCWD, path.constData(), stamp, 0), 0);

    DirectoryCursor cursor;
    cursor.dir.setPath(dir);
    cursor.dir.setPath(cursor.dir.List(0));
    const qint64 reads = cursor.cache.readCount();
    for (int turn = 0; turn < 10; ++turn) {
        cursor.dir.setPath(dir);
        cursor.dir.setPath(cursor.dir.List(0));
    }
    // Only the subdirectory, entered afresh each time, is read again.
    QCOMPARE(cursor.cache.readCount(), reads + 10);

    tree.file("d/new.txt");
    cursor.dir.setPath(dir);
    QCOMPARE(fileNames(cursor.files), (QList<QByteArray>{"new.txt", "old.txt"}));
}

void TestLists::invalidUtf8NameIsFoundAndMeasured()
{
    TreeBuilder tree;
    const QByteArray name("caf\xe9-\xff.bin");
    const int fd = ::open(tree.path(name).constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(ftruncate(fd, 4321), 0);
    ::close(fd);

    DirectoryCursor cursor;
    cursor.dir.setPath(tree.root());
    cursor.files.setPattern(QStringLiteral("*.BIN"));
    QCOMPARE(fileNames(cursor.files), QList<QByteArray>{name});
    QCOMPARE(cursor.cache.fileLength(tree.root(), name), 4321);
}

void TestLists::reportFileModes()
{
    TreeBuilder tree;
    const QByteArray path = tree.path("report.txt");
    ReportLine line;
    line.append(QStringLiteral("ab"));
    line.tabTo(5);
    line.append(QStringLiteral("\xe9t\xe9\n"));
    line.tabTo(9);
    line.append(QStringLiteral("x"));

    ReportFile report;
    report.openForOutput(path);
    report.printLine(line);
    report.close();
    report.close(); // closing a closed report does nothing
    QCOMPARE(readAll(path), QByteArray("ab  \xc3\xa9t\xc3\xa9? x\r\n"));

    report.openForAppend(path);
    report.printLine(line);
    report.close();
    QCOMPARE(readAll(path), QByteArray("ab  \xc3\xa9t\xc3\xa9? x\r\n").repeated(2));

    report.openForOutput(path);
    report.close();
    QCOMPARE(readAll(path), QByteArray());
}

QTEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
