// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtimeerror.h"

#include "pathsyntax.h"
#include "sanitizers.h"
#include "scanrun.h"
#include "testtree.h"
#include "wine.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <memory>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString OutOfMemory = u"Out of memory, you've filled the list box."_s;

// The report lines of "name@dir,...", `dir` below `top` ("" for `top`
// itself); a bare "dir" stands for "f.txt@dir".
QStringList fileLines(const QString &top, const QString &list)
{
    QStringList lines;
    for (QString entry : list.split(u',')) {
        if (!entry.contains(u'@'))
            entry.prepend(u"f.txt@"_s);
        const QString dir = entry.section(u'@', 1);
        const QString in = dir.isEmpty() ? top : top + u'/' + dir;
        lines << QString::fromUtf8(smallFileLine(entry.section(u'@', 0, 0), in)).chopped(2);
    }
    return lines;
}

} // namespace

class TestWalk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void order_data()
    {
        QTest::addColumn<QByteArray>("files"); // a name ending in "/" is an empty directory
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("pumps");
        // Subdirectories first, the last one first; skipped and empty directories
        // write nothing but are walked all the same.
        QTest::newRow("subdirectories first, last first")
            << QByteArray("r.txt,a/a.txt,a/x/x.txt,b/b.txt") << "b.txt@b,x.txt@a/x,a.txt@a,r.txt@"
            << 4;
        QTest::newRow("empty and skipped directories")
            << QByteArray("empty/deep/deep.txt,soft/disk2/data.txt,soft/disk2/help/help.txt,"
                          "soft/disk1/data.txt,nothing/")
            << "data.txt@soft/disk1,deep.txt@empty/deep" << 8;
    }

    void order()
    {
        QFETCH(QByteArray, files);
        QFETCH(QString, written);
        QFETCH(int, pumps);
        TestTree tree;
        for (const QByteArray &file : files.split(','))
            file.endsWith('/') ? tree.dir("R/" + file) : tree.file("R/" + file);

        ScanRun run;
        run.run(tree.path("R"));
        QCOMPARE(run.lines(), fileLines(tree.reportRoot() + u"/r"_s, written));
        QCOMPARE(run.cursor.dir.Path(), tree.path("R"));
        QCOMPARE(run.frontEnd.pumps, pumps);
    }

    void cancel_data()
    {
        QTest::addColumn<QByteArray>("at");     // where the Cancel comes
        QTest::addColumn<QByteArray>("parent"); // the files of R/a
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("pumps");
        const QByteArray listed = "f1.txt,f2.txt";
        const QByteArray pictures = "p1.jpg,p2.jpg";
        const QByteArray program = "data.dat,edit.exe";
        const QString chain = u"f1.txt@z,f2.txt@z,f1.txt@a/b/c/d,f2.txt@a/b/c/d,f1.txt@a/b/c,"
                              "f2.txt@a/b/c,f1.txt@a/b,f2.txt@a/b"_s;
        // d is never entered.
        QTest::newRow("entering a directory three levels deep")
            << QByteArray("enter") << listed << "f1.txt@z,f2.txt@z" << 5;
        // The third line is written, then its pump cancels the listing of d.
        QTest::newRow("in a listing, after a line")
            << QByteArray("line 3") << listed << "f1.txt@z,f2.txt@z,f1.txt@a/b/c/d" << 6;
        // Handled while R/a/0big is read: that move is undone, and nothing of
        // R/a, a collection or a program's folder, is counted or asked after.
        for (const QByteArray &files : {listed, pictures, program})
            QTest::newRow("reading a directory, its parent " + files)
                << QByteArray("read") << files << chain << 6;
        // Handled in the listing of R/a/0big, after its first line.
        for (const QByteArray &files : {pictures, program})
            QTest::newRow("in a listing, its parent " + files)
                << QByteArray("list") << files << chain + u",n000.txt@a/0big"_s << 7;
        // Handled at the last share count of R/a, all its files pictures: no
        // summary line after it.
        QTest::newRow("classifying a collection")
            << QByteArray("classify") << pictures << chain + u",f1.txt@a/0big"_s << 7;
    }

    // A Cancel ends the run wherever it is handled, and for good: nothing is
    // written, asked or read after it, and the lists agree where they stop.
    void cancel()
    {
        QFETCH(QByteArray, at);
        QFETCH(QByteArray, parent);
        QFETCH(QString, written);
        QFETCH(int, pumps);
        TestTree tree;
        for (const char *dir : {"R", "R/a/b", "R/a/b/c", "R/a/b/c/d", "R/z"})
            tree.files(dir, {"f1.txt", "f2.txt"});
        tree.files("R/a", parent.split(','));
        // Enough entries for its read to pump on the walk's thread; one file
        // where the Cancel comes later.
        if (at == "classify")
            tree.files("R/a/0big", {"f1.txt"});
        for (int i = 0; i < 300 && at != "classify"; ++i)
            tree.file("R/a/0big/n" + QByteArray::number(i).rightJustified(3, '0') + ".txt");

        ScanRun run;
        if (at == "read")
            run.threads = 1; // read by the walk itself, not ahead of it
        qint64 linesAtCancel = -1;
        int pumpsInA = 0;
        const auto due = [&] {
            const QByteArray path = run.cursor.dir.Path();
            const bool settled = run.cursor.isSettled();
            if (at == "enter")
                return path == tree.path("R/a/b/c");
            if (at == "line 3")
                return run.frontEnd.busyPumps == 3;
            if (at == "read")
                return !settled;
            if (at == "list")
                return settled && path == tree.path("R/a/0big") && run.report.linesWritten() > 8;
            return settled && path == tree.path("R/a") && ++pumpsInA == 4;
        };
        run.frontEnd.onPump = run.frontEnd.onBusyPump = [&] {
            if (linesAtCancel >= 0 || !due())
                return;
            // What the Cancel button does: stop the walk and close the report.
            run.scan.setScanActive(false);
            linesAtCancel = run.report.linesWritten();
            run.report.close();
        };
        run.frontEnd.answer = MessageAnswer::Yes;
        // All boxes cleared but where R/a's kind is at stake: only the listings
        // pump while busy.
        const bool kinds = parent != "f1.txt,f2.txt";
        run.run(tree.path("R"), CategorySwitches{kinds, false, false, kinds});

        const QStringList lines = fileLines(tree.reportRoot() + u"/r"_s, written);
        QCOMPARE(run.lines(), lines);
        QCOMPARE(linesAtCancel, qint64(lines.size()));
        QVERIFY(run.frontEnd.messages.isEmpty());
        QVERIFY(!run.scan.scanActive());
        QVERIFY(run.cursor.isSettled());
        QCOMPARE(run.frontEnd.pumps, pumps);
        QCOMPARE(run.cursor.cache.entriesAhead(), 0);
    }

    void treeChangedDuringTheWalk_data()
    {
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("error");
        // The tree R: a (x), b, c, each with f.txt. While the walk is in R/c, the
        // first of R's subdirectories that it visits, and the workers have read
        // a, a/x and b ahead, ...
        QTest::newRow("a sibling created") << QByteArray("create 0") << "c,b,a/x,a," << QString();
        QTest::newRow("a sibling removed")
            << QByteArray("remove a") << "c,b" << u"Path not found: "_s;
        QTest::newRow("a sibling swapped for a link")
            << QByteArray("link a") << "c,b" << u"Path not found: "_s;
        QTest::newRow("a sibling swapped for another directory")
            << QByteArray("swap a") << "c,b,a," << QString();
        QTest::newRow("a file added below")
            << QByteArray("file a") << "c,b,a/x,a,g.txt@a," << QString();
        QTest::newRow("a file added where nothing is below")
            << QByteArray("file b") << "c,b,g.txt@b,a/x,a," << QString();
        QTest::newRow("a directory renamed below")
            << QByteArray("rename a/x") << "c,b,a/y,a," << QString();
        // ... or at the install question of the directory named, with data.dat
        // and edit.exe for its files. Out of memory, that directory and its
        // caller write nothing more but the walk goes on above them; data.dat
        // gone or a directory now, the run ends keeping its lines.
        QTest::newRow("memory, grandchild") << QByteArray("memory? a/x") << "c,b," << QString();
        QTest::newRow("memory, child") << QByteArray("memory? a") << "c,b,a/x" << QString();
        QTest::newRow("memory, from the system")
            << QByteArray("ENOMEM? a") << "c,b,a/x" << QString();
        QTest::newRow("memory, top") << QByteArray("memory? ") << "c,b,a/x,a" << QString();
        QTest::newRow("file removed")
            << QByteArray("removed? a") << "c,b,a/x" << u"File not found: "_s;
        QTest::newRow("file replaced by a directory")
            << QByteArray("replaced? a") << "c,b,a/x" << u"File not found: "_s;
        // ... or while a's files are counted, removing f.txt, with a pause before
        // its lines.
        QTest::newRow("file removed in a pause")
            << QByteArray("pause a") << "c,b,a/x" << u"File not found: "_s;
        // The same in b, read ahead with nothing below it.
        QTest::newRow("file removed in a pause, no subdirectories")
            << QByteArray("pause b") << "c" << u"File not found: "_s;
        // ... or b swapped for another directory in that pause: opened again
        // after the pause when it was taken without its handle.
        QTest::newRow("directory swapped in a pause")
            << QByteArray("moved b") << "c" << u"Path not found: "_s;
    }

    // Each visit walks the subdirectories its directory held when it began: none
    // is skipped or visited twice, none is entered through a link.
    void treeChangedDuringTheWalk()
    {
        QFETCH(QByteArray, change);
        QFETCH(QString, written);
        QFETCH(QString, error);
        // Read ahead, b is taken without its handle; not at 1 thread, nor on
        // Windows, where the stamps of a tree just made are not trusted yet.
        bool handleKept = testThreads() == 1;
#ifdef Q_OS_WIN
        handleKept = true;
#endif
        if (change.startsWith("moved") && handleKept) {
            written = u"c,b,a/x,a,"_s; // through the handle the walk keeps
            error.clear();
        }
        const QByteArray name = change.mid(change.indexOf(' ') + 1);
        const bool atQuestion = change.contains('?');
        const bool outOfMemory = atQuestion && error.isEmpty();
        TestTree tree;
        for (const QByteArray dir : {"", "a", "a/x", "b", "c"})
            tree.files("R/" + dir, atQuestion && dir == name
                                       ? QList<QByteArray>{"data.dat", "edit.exe"}
                                       : QList<QByteArray>{"f.txt"});
        tree.files("outside", {"f.txt"});
        const QString sibling = tree.native("R/" + name);
        const QString vanishing = decodedPath(tree.path("R/" + name + "/data.dat"));

        ScanRun run;
        run.frontEnd.onQuestion = [&] {
            if (change.startsWith("ENOMEM"))
                throw RuntimeError::forFile(ENOMEM, tree.path("R/" + name + "/data.dat"));
            if (change.startsWith("memory"))
                throw std::bad_alloc();
            QFile::remove(vanishing);
            if (change.startsWith("replaced"))
                QDir().mkdir(vanishing);
            return MessageAnswer::No;
        };
        const bool pause = change.startsWith("pause");
        const bool moved = change.startsWith("moved");
        run.frontEnd.onBusyPump = [&] {
            if (run.cursor.dir.Path() != tree.path("R/" + name))
                return;
            if (pause ? QFile::remove(tree.native("R/" + name + "/f.txt"))
                      : moved && QDir().rename(sibling, sibling + u".old"_s) &&
                            QDir().rename(tree.native("outside"), sibling))
                QTest::qSleep(50); // far longer than the walk takes to write the lines
        };
        run.frontEnd.onPump = [&] {
            if (atQuestion || pause || run.cursor.dir.Path() != tree.path("R/c"))
                return;
            if (testThreads() > 1) // a: 3, a/x: 2, b: 2
                QTRY_COMPARE(run.cursor.cache.entriesAhead(), 7);
            if (moved) // later, in b
                return;
            if (change.startsWith("create"))
                tree.files("R/" + name, {"f.txt"});
            else if (change.startsWith("file"))
                tree.files("R/" + name, {"g.txt"});
            else if (change.startsWith("rename"))
                QVERIFY(QDir().rename(sibling, sibling.chopped(1) + u'y'));
            else if (change.startsWith("remove"))
                QVERIFY(QDir(sibling).removeRecursively());
            else if (change.startsWith("swap"))
                QVERIFY(QDir().rename(sibling, sibling + u".old"_s) &&
                        QDir().rename(tree.native("outside"), sibling));
            else
                QVERIFY(QFile::rename(sibling, sibling + u".old"_s) &&
                        QFile::link(tree.native("outside"), sibling));
        };
        if (error.isEmpty()) {
            run.run(tree.path("R"));
        } else {
            QVERIFY_THROWS_EXCEPTION(ProgramEnded, run.run(tree.path("R")));
            QVERIFY(run.frontEnd.ended);
            QVERIFY(run.frontEnd.messages.last().prompt.startsWith(error));
            QVERIFY(!atQuestion || run.frontEnd.messages.last().prompt.contains(vanishing));
            run.report.close(); // what ending the program does
        }
        if (outOfMemory) {
            QCOMPARE(run.frontEnd.messages.size(), 2); // the question, then the error
            QCOMPARE(run.frontEnd.messages.last().prompt, OutOfMemory);
            QCOMPARE(run.frontEnd.messages.last().title, QString());
            QCOMPARE(run.scan.outOfMemoryErrors(), 1);
            QVERIFY(run.scan.scanActive());
            QVERIFY(!run.frontEnd.ended);
        }
        QCOMPARE(run.lines(), fileLines(tree.reportRoot() + u"/r"_s, written));
    }

    // A directory that changes all the time (a spool, a mail folder) is read
    // once when its visit begins and once more for its own files, not again at
    // every return from a subdirectory; its files are those it holds then.
    void busyParentIsReadTwice()
    {
        const int Subdirectories = 60;
        TestTree tree;
        for (int i = 0; i < Subdirectories; ++i)
            tree.files("R/d" + QByteArray::number(100 + i), {"f.txt"});
        ScanRun run;
        run.frontEnd.onPump = [&] {
            if (run.cursor.dir.Path() != tree.path("R"))
                tree.files("R", {"n" + QByteArray::number(run.frontEnd.pumps) + ".txt"});
        };
        run.run(tree.path("R"));

        QCOMPARE(run.lines().size(), 2 * Subdirectories);
        QVERIFY(run.lines().last().startsWith(u"n"_s));
        QVERIFY2(run.cursor.cache.readCount() <= Subdirectories + 2,
                 qPrintable(QString::number(run.cursor.cache.readCount())));
    }

    void deepChain_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QByteArray>("name");
        // AddressSanitizer makes each level many times dearer: a fifth of the
        // levels still asks far more than a small stack holds.
        QTest::newRow("100,000 levels")
            << (builtWithAddressSanitizer ? 20000 : 100000) << QByteArray("d");
        QTest::newRow("400 long names") << 400 << QByteArray("abcdefghijklmnopqrstuvwxyz0123");
        QTest::newRow("100 long names") << 100 << QByteArray("abcdefghijklmnopqrstuvwxyz0123");
    }

    // Any depth and path length, on a small stack and with few files open.
    void deepChain()
    {
        QFETCH(int, depth);
        QFETCH(QByteArray, name);
#ifdef Q_OS_WIN
        const int length = depth * int(name.size() + 1);
        if (length > 32767)
            QSKIP("Windows paths hold 32,767 characters at most");
        if (length > 4000 && runsUnderWine())
            QSKIP("Wine's paths are Linux paths, of 4,096 bytes at most");
#endif
        // Memory-backed where the system has such a folder: deep trees are made
        // much faster there.
        const bool shm = QFileInfo(u"/dev/shm"_s).isWritable();
        TestTree tree(shm ? u"/dev/shm/tst_walk-XXXXXX"_s : QString());
        tree.chain("top", depth, name, "leaf.txt", 1500);

#ifndef Q_OS_WIN
        rlimit files;
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
        const rlimit fewFiles = {std::min<rlim_t>(files.rlim_cur, 32), files.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &fewFiles), 0);
#endif
        auto run = std::make_unique<ScanRun>();
        const std::unique_ptr<QThread> walk(QThread::create([&] { run->run(tree.path("top")); }));
        walk->setStackSize(256 * 1024);
        walk->start();
        walk->wait();
#ifndef Q_OS_WIN
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &files), 0);
#endif

        QByteArray path = tree.root().toLower() + PathSeparator + "top";
        for (int level = 0; level < depth; ++level)
            path += PathSeparator + name;
        QCOMPARE(run->output(), "leaf.txt               2Kb " + path + "\r\n");
        QCOMPARE(run->frontEnd.pumps, depth + 1);
        QVERIFY(run->frontEnd.messages.isEmpty());
    }

    // However many subdirectories wait, the workers keep no more than their
    // budget of entries ahead of the walk. The 32,769 pictures beside them make
    // a summary line of five digits, past what 16 bits count.
    void wideDirectoryReadAheadStaysBounded()
    {
        if (runsUnderWine())
            QSKIP("Wine takes minutes to make a folder of 200,000 folders and 32,769 files");
        const int Subdirectories = 200000;
        const bool shm = QFileInfo(u"/dev/shm"_s).isWritable();
        TestTree tree(shm ? u"/dev/shm/tst_walk-XXXXXX"_s : QString());
        tree.dir("wide");
        const QDir wide(QFile::decodeName(tree.path("wide")));
        for (int i = 0; i < Subdirectories; ++i)
            QVERIFY(wide.mkdir(QString::number(i)));
        for (int i = 0; i < 32769; ++i)
            QVERIFY(
                QFile(wide.filePath(QString::number(i) + u".jpg"_s)).open(QIODevice::WriteOnly));

        ScanRun run;
        qint64 mostAhead = 0;
        run.frontEnd.onPump = [&] {
            mostAhead = std::max(mostAhead, run.cursor.cache.entriesAhead());
        };
        run.run(tree.path("wide"));
        QCOMPARE(run.lines(),
                 QStringList(u"graphic-files      32769Fs "_s + tree.reportRoot() + u"/wide"_s));
        QCOMPARE(run.frontEnd.pumps, Subdirectories + 1);
        // Each worker may finish one directory beyond the budget.
        QVERIFY2(mostAhead <= ReadAhead::DefaultEntryBudget + testThreads(),
                 qPrintable(QString::number(mostAhead)));
        // With workers, directories really were taken as they read them.
        QVERIFY(testThreads() == 1 || mostAhead > 0);
#ifndef Q_OS_WIN // where the stamps were aged
        QVERIFY(testThreads() == 1 || run.cursor.cache.readAheadCount() > 0);
#endif
    }
};

QTEST_GUILESS_MAIN(TestWalk)
#include "tst_walk.moc"
