#include "platform/runtimeerror.h"
#include "scan/filesize.h"
#include "scanrun.h"
#include "treebuilder.h"

#include <QScopeGuard>
#include <QTest>

#include <csignal>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

// Line i of a report: 30 characters, 32 bytes with its line break.
ReportLine numberedLine(int i)
{
    ReportLine line;
    line.append(QStringLiteral("%1").arg(i, 30, 10, QLatin1Char('0')));
    return line;
}

} // namespace

class TestReportLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizeTable_data();
    void sizeTable();
    void fullListing();
    void namesAreCutAndCleaned_data();
    void namesAreCutAndCleaned();
    void reportHoldsWholeLines_data();
    void reportHoldsWholeLines();
};

void TestReportLines::sizeTable_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("written");
    // Length:written. Rounded half to even, in thousands below a million.
    const QByteArray table =
        "0:1Kb 999:1Kb 1000:1Kb 1499:1Kb 1500:2Kb 2500:2Kb 3500:4Kb 999499:999Kb 999500:1,000Kb "
        "999999:1,000Kb 1000000:1Mb 2500000:2Mb 1500000000:1,500Mb 2147483647:2,147Mb "
        "12000000000:12,000Mb 1000000000000000:1,000,000,000Mb";
    for (const QByteArray &row : table.split(' '))
        QTest::newRow(row) << row.split(':')[0].toLongLong()
                           << QString::fromLatin1(row.split(':')[1]);
}

void TestReportLines::sizeTable()
{
    QFETCH(qint64, length);
    QFETCH(QString, written);
    const FileSize size = FormatFileSize(length);
    QCOMPARE(size.number + QString(size.unit), written);
}

// Files listed one by one, sizes wider than their column moving the path
// right, and summary lines of folders of a kind.
void TestReportLines::fullListing()
{
    TreeBuilder tree;
    tree.file("Games/Chess/ReadMe.TXT", 1536);
    tree.file("Games/Chess/Setup.Log", 0);
    tree.file("Games/Chess/Chess Tournament Notes.doc", 2500);
    tree.file("Games/Chess/Board.bmp", 999500);
    tree.file("Games/Chess/Intro.avi", 2500000);
    tree.file("Games/Chess/disk-image.iso", 12000000000);
    for (int i = 0; i < 12; ++i)
        tree.file("Photos/Summer/IMG" + QByteArray::number(i) + ".JPG");
    for (int i = 0; i < 245; ++i)
        tree.file("Music/Live/track" + QByteArray::number(i) + ".mp3");
    tree.file("Soft/Editor/DISK1/SETUP.EXE");
    for (int i = 1; i < 1032; ++i)
        tree.file("Soft/Editor/DISK1/data" + QByteArray::number(i) + ".dat");

    ScanRun run;
    run.run(tree.root());
    const QString root = tree.reportRoot(), chess = root + QStringLiteral("/games/chess");
    QCOMPARE(
        run.lines(),
        QStringList({
            QStringLiteral("install-files       1032Fs ") + root +
                QStringLiteral("/soft/editor/disk1"),
            QStringLiteral("graphic-files         12Fs ") + root + QStringLiteral("/photos/summer"),
            QStringLiteral("music-files          245Fs ") + root + QStringLiteral("/music/live"),
            QStringLiteral("board.bmp          1,000Kb ") + chess,
            QStringLiteral("chess tournament n     2Kb ") + chess,
            QStringLiteral("disk-image.iso     12,000Mb ") + chess,
            QStringLiteral("intro.avi              2Mb ") + chess,
            QStringLiteral("readme.txt             2Kb ") + chess,
            QStringLiteral("setup.log              1Kb ") + chess,
        }));
    QVERIFY(run.output().endsWith("\r\n"));
    QCOMPARE(run.output().count("\r\n"), 9);
    QCOMPARE(run.frontEnd.questions, 0);
}

void TestReportLines::namesAreCutAndCleaned_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("written");

    QTest::newRow("18 characters, whole")
        << QByteArray("ABCDEFGHIJKLMNOPQR") << "abcdefghijklmnopqr";
    QTest::newRow("longer, cut") << QByteArray("abcdefghijklmnopqrstuvwxyz.txt")
                                 << "abcdefghijklmnopqr";
    QTest::newRow("newline") << QByteArray("two\nlines.txt") << "two?lines.txt";
    QTest::newRow("tab and delete") << QByteArray("a\tb\x7f"
                                                  "c")
                                    << "a?b?c";
    QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9.txt") << QStringLiteral("caf\ufffd.txt");
    QTest::newRow("character cut short") << QByteArray("a\xf0\x9f\x8e"
                                                       "b\xe9\x80")
                                         << QStringLiteral("a\ufffdb\ufffd");
    QTest::newRow("overlong form and surrogate")
        << QByteArray("\xc0\xaf-\xed\xa0\x80") << QStringLiteral("\ufffd\ufffd-\ufffd\ufffd\ufffd");
    QTest::newRow("non-ASCII, cut by characters")
        << QByteArray(
               "\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89"
               "\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89\xc3\x89")
        << QString(18, QChar(0xe9));
    QTest::newRow("final sigma") << QByteArray(
                                        "\xce\x9f\xce\xa3\xce\xa3 \xce\xa3\xce\x91\xce\xa3.txt")
                                 << QStringLiteral("\u03bf\u03c3\u03c2 \u03c3\u03b1\u03c3.txt");
    QTest::newRow("beyond the basic plane")
        << QByteArray("\xf0\x9f\x8e\xb5 music") << QStringLiteral("\U0001F3B5 music");
}

void TestReportLines::namesAreCutAndCleaned()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, written);
#ifdef Q_OS_WIN
    QSKIP("Windows names hold neither control characters nor bytes that are not UTF-8");
#endif

    TreeBuilder tree;
    tree.file("Dir\nName/" + name, 10);
    ScanRun run;
    run.run(tree.root());

    const QStringList lines = run.lines();
    QCOMPARE(lines.size(), 1);
    QString expected = written;
    while (expected.toUcs4().size() < 19)
        expected += QLatin1Char(' ');
    expected += QStringLiteral("    1Kb ") + tree.reportRoot() + QStringLiteral("/dir?name");
    QCOMPARE(lines.first(), expected);
}

void TestReportLines::reportHoldsWholeLines_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<QByteArray>("before"); // the file's content before the run
    QTest::addColumn<qint64>("sizeLimit");  // 0: none
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("kept"); // what the new lines follow

    const QByteArray none;
    QTest::newRow("new report") << false << QByteArray("old") << 0LL << 3 << none;
    QTest::newRow("appended to an empty file") << true << none << 0LL << 3 << none;
    QTest::newRow("appended after a line break")
        << true << QByteArray("old\r\n") << 0LL << 3 << QByteArray("old\r\n");
    QTest::newRow("appended after a line feed")
        << true << QByteArray("old\n") << 0LL << 3 << QByteArray("old\n");
    QTest::newRow("appended inside a line")
        << true << QByteArray("old") << 0LL << 3 << QByteArray("old\r\n");
    QTest::newRow("appended after a carriage return")
        << true << QByteArray("old\r") << 0LL << 3 << QByteArray("old\r\r\n");
    QTest::newRow("disk full when closed") << false << none << 1000LL << 100 << none;
    QTest::newRow("disk full at the end of a line") << false << none << 992LL << 100 << none;
    QTest::newRow("disk full in the first write") << false << none << 50001LL << 4000 << none;
    QTest::newRow("disk full in a later write") << false << none << 100001LL << 5000 << none;
    QTest::newRow("disk full, appended inside a line")
        << true << QByteArray("old") << 1000LL << 100 << QByteArray("old\r\n");
}

void TestReportLines::reportHoldsWholeLines()
{
    QFETCH(bool, append);
    QFETCH(QByteArray, before);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, lines);
    QFETCH(QByteArray, kept);
#ifdef Q_OS_WIN
    if (sizeLimit > 0)
        QSKIP("Windows cannot limit the size of a process's files to fill a disk");
#endif

    TreeBuilder tree;
    QFile file(tree.rootText() + QStringLiteral("/report.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();

    int errorNumber = 0;
    {
#ifndef Q_OS_WIN
        // Writing past the limit fails as on a full disk (EFBIG, no signal).
        rlimit original, limit;
        getrlimit(RLIMIT_FSIZE, &original);
        limit = original;
        if (sizeLimit > 0)
            limit.rlim_cur = rlim_t(sizeLimit);
        const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &original);
            std::signal(SIGXFSZ, signalBefore);
        });
#endif
        ReportFile report;
        try {
            append ? report.openForAppend(tree.path("report.txt"))
                   : report.openForOutput(tree.path("report.txt"));
            for (int i = 0; i < lines; ++i)
                report.printLine(numberedLine(i));
        } catch (const RuntimeError &error) {
            errorNumber = error.number();
        }
        try {
            report.close();
        } catch (const RuntimeError &error) {
            errorNumber = error.number();
        }
        report.close(); // closing a closed report does nothing
    }

    const qint64 room = sizeLimit > 0 ? (sizeLimit - kept.size()) / 32 : lines;
    const int whole = int(std::min<qint64>(lines, room));
    QByteArray expected = kept;
    for (int i = 0; i < whole; ++i)
        expected += numberedLine(i).utf8() + "\r\n";
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    QCOMPARE(errorNumber, whole < lines ? ErrorNumber::DiskFull : 0);
}

QTEST_GUILESS_MAIN(TestReportLines)
#include "tst_reportlines.moc"
