#include "platform/runtimeerror.h"
#include "scanrun.h"
#include "treebuilder.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString OutOfMemory = QStringLiteral("Out of memory, you've filled the list box.");

// The report line of an empty file `name` in `dir`.
QString fileLine(const QString &name, const QString &dir)
{
    return name.leftJustified(19, QLatin1Char(' ')) + QStringLiteral("    1Kb ") + dir;
}

} // namespace

class TestWalk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void subdirectoriesFirstLastEntryFirst();
    void emptyAndSkippedDirectoriesWriteNothing();
    void allBoxesClearedListsEverything();
    void hiddenEntriesLinksAndPipes();
    void cancelThreeLevelsDeep();
    void outOfMemoryEndsTheVisitAndItsCaller();
    void otherErrorEndsTheRunKeepingTheLines();
    void largeDirectorySummary();
};

void TestWalk::subdirectoriesFirstLastEntryFirst()
{
    TreeBuilder tree;
    tree.file("R/r.txt");
    tree.file("R/a/a.txt");
    tree.file("R/a/x/x.txt");
    tree.file("R/b/b.txt");
    const QString r = tree.reportRoot() + QStringLiteral("/r");

    ScanRun run;
    run.run(tree.path("R"));
    QCOMPARE(run.lines(),
             QStringList({fileLine(QStringLiteral("b.txt"), r + QStringLiteral("/b")),
                          fileLine(QStringLiteral("x.txt"), r + QStringLiteral("/a/x")),
                          fileLine(QStringLiteral("a.txt"), r + QStringLiteral("/a")),
                          fileLine(QStringLiteral("r.txt"), r)}));
    QCOMPARE(run.cursor.dir.Path(), tree.path("R"));
    QCOMPARE(run.frontEnd.pumps, 4);
}

void TestWalk::emptyAndSkippedDirectoriesWriteNothing()
{
    TreeBuilder tree;
    tree.file("empty/deep/deep.txt");
    tree.file("soft/disk2/data.txt");
    tree.file("soft/disk2/help/help.txt");
    tree.file("soft/disk1/data.txt");
    tree.dir("nothing");
    const QString root = tree.reportRoot();

    ScanRun run;
    run.run(tree.root());
    QCOMPARE(
        run.lines(),
        QStringList({fileLine(QStringLiteral("data.txt"), root + QStringLiteral("/soft/disk1")),
                     fileLine(QStringLiteral("deep.txt"), root + QStringLiteral("/empty/deep"))}));
    // Skipped and empty directories are walked all the same.
    QCOMPARE(run.frontEnd.pumps, 8);
}

void TestWalk::allBoxesClearedListsEverything()
{
    TreeBuilder tree;
    tree.files("pics", {"a.jpg", "b.jpg"});
    tree.files("tool", {"setup.exe"});
    const QString root = tree.reportRoot();

    ScanRun run;
    run.run(tree.root(), CategorySwitches{false, false, false, false});
    QCOMPARE(run.lines(),
             QStringList({fileLine(QStringLiteral("setup.exe"), root + QStringLiteral("/tool")),
                          fileLine(QStringLiteral("a.jpg"), root + QStringLiteral("/pics")),
                          fileLine(QStringLiteral("b.jpg"), root + QStringLiteral("/pics"))}));
}

void TestWalk::hiddenEntriesLinksAndPipes()
{
    TreeBuilder tree;
    tree.file("R/real.txt");
    tree.file("R/.hidden.txt");
    tree.file("R/.hidden/inside.txt");
    tree.file("elsewhere/target.txt", 5000);
    const QByteArray r = tree.path("R");
    QCOMPARE(symlink("..", (r + "/loop").constData()), 0);
    QCOMPARE(symlink(tree.path("elsewhere").constData(), (r + "/dirlink").constData()), 0);
    QCOMPARE(symlink("../elsewhere/target.txt", (r + "/filelink.txt").constData()), 0);
    QCOMPARE(symlink("nowhere.txt", (r + "/broken.txt").constData()), 0);
    QCOMPARE(mkfifo((r + "/pipe.txt").constData(), 0600), 0);

    ScanRun run;
    run.run(r);
    const QString path = tree.reportRoot() + QStringLiteral("/r");
    QCOMPARE(run.lines(), QStringList({QStringLiteral("filelink.txt           5Kb ") + path,
                                       fileLine(QStringLiteral("real.txt"), path)}));
    QCOMPARE(run.frontEnd.pumps, 1);
}

void TestWalk::cancelThreeLevelsDeep()
{
    TreeBuilder tree;
    for (const char *dir : {"R", "R/a", "R/a/b", "R/a/b/c", "R/a/b/c/d", "R/z"})
        tree.files(dir, {"f1.txt", "f2.txt"});

    ScanRun run;
    qint64 linesAtCancel = -1;
    run.frontEnd.onPump = [&] {
        if (!run.cursor.dir.Path().endsWith("/a/b/c"))
            return;
        // What the Cancel button does: stop the walk and close the report.
        run.scan.setScanActive(false);
        linesAtCancel = run.report.linesWritten();
        run.report.close();
    };
    run.run(tree.path("R"));

    QCOMPARE(linesAtCancel, 2); // R/z only
    QCOMPARE(run.lines().size(), 2);
    QVERIFY(run.lines().first().endsWith(QStringLiteral("/r/z")));
    QVERIFY(!run.report.isOpen());
    QVERIFY(!run.scan.scanActive());
    QCOMPARE(run.frontEnd.pumps, 5); // d is never entered
}

void TestWalk::outOfMemoryEndsTheVisitAndItsCaller()
{
    TreeBuilder tree;
    tree.files("R", {"r.txt"});
    tree.files("R/a", {"a.txt"});
    tree.files("R/a/x", {"edit.exe", "x.dat"});
    tree.files("R/a/y", {"y.txt"});
    tree.files("R/b", {"b.txt"});
    const QString r = tree.reportRoot() + QStringLiteral("/r");

    ScanRun run;
    run.frontEnd.onQuestion = []() -> MessageAnswer { throw std::bad_alloc(); };
    run.run(tree.path("R"));

    // x meets the error and a ends with it; R goes on with its own files.
    QCOMPARE(run.lines(),
             QStringList({fileLine(QStringLiteral("b.txt"), r + QStringLiteral("/b")),
                          fileLine(QStringLiteral("y.txt"), r + QStringLiteral("/a/y")),
                          fileLine(QStringLiteral("r.txt"), r)}));
    QCOMPARE(run.frontEnd.count(OutOfMemory), 1);
    QCOMPARE(run.frontEnd.messages.last().title, QString());
    QVERIFY(run.scan.scanActive());
    QVERIFY(!run.frontEnd.ended);
}

void TestWalk::otherErrorEndsTheRunKeepingTheLines()
{
    TreeBuilder tree;
    tree.files("R/a", {"data.dat", "edit.exe"});
    tree.files("R/b", {"b.txt"});
    const QByteArray vanishing = tree.path("R/a/data.dat");

    ScanRun run;
    run.frontEnd.onQuestion = [&] {
        QFile::remove(QFile::decodeName(vanishing));
        return MessageAnswer::No;
    };
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, run.run(tree.path("R")));
    QVERIFY(run.frontEnd.ended);
    QVERIFY(run.frontEnd.messages.last().prompt.startsWith(QStringLiteral("File not found: ")));
    QVERIFY(run.frontEnd.messages.last().prompt.contains(QFile::decodeName(vanishing)));

    run.report.close(); // what ending the program does
    QCOMPARE(run.lines(), QStringList(fileLine(QStringLiteral("b.txt"),
                                               tree.reportRoot() + QStringLiteral("/r/b"))));
}

void TestWalk::largeDirectorySummary()
{
    TreeBuilder tree;
    tree.dir("pics");
    const QString pics = tree.rootText() + QStringLiteral("/pics/");
    for (int i = 0; i < 40000; ++i) {
        QFile file(pics + QString::number(i) + QStringLiteral(".jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    ScanRun run;
    run.run(tree.path("pics"));
    QCOMPARE(run.lines(), QStringList(QStringLiteral("graphic-files      40000Fs ") +
                                      tree.reportRoot() + QStringLiteral("/pics")));
}

QTEST_GUILESS_MAIN(TestWalk)
#include "tst_walk.moc"
