// The Create click up to the walk: the report file choice and the lock.

#include "platform/directorycursor.h"
#include "recordingrunwindow.h"
#include "run/reportfolder.h"
#include "run/runcontrol.h"
#include "scriptedfrontend.h"
#include "testtree.h"

#include <QDateTime>

Q_DECLARE_METATYPE(MessageAnswer)

namespace {

const QByteArray OldReport = "earlier report\r\n";

// Report files 01 to 99 of a test: number -> content.
using ReportFiles = QMap<int, QByteArray>;

ReportFiles takenUpTo(int last)
{
    ReportFiles files;
    for (int number = 1; number <= last; ++number)
        files.insert(number, OldReport);
    return files;
}

QString reportName(int number)
{
    return QStringLiteral("reports/") + reportFileName(number);
}

} // namespace

class RunControlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chooseReportFile_data();
    void chooseReportFile();
    void unopenableReportLeavesWindowIdle();
    void lockAndUnlockInOrder();
    void listBackAtStartAfterStop_data();
    void listBackAtStartAfterStop();
};

void RunControlTest::chooseReportFile_data()
{
    QTest::addColumn<ReportFiles>("existing");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("written");       // the report file of the run, 0 for none
    QTest::addColumn<QByteArray>("before"); // what it holds before the run's lines

    const MessageAnswer cancel = MessageAnswer::Cancel;
    QTest::newRow("none") << ReportFiles() << cancel << false << 1 << QByteArray();
    QTest::newRow("numbered files but no first")
        << ReportFiles{{2, OldReport}, {3, OldReport}} << cancel << false << 1 << QByteArray();
    QTest::newRow("empty first") << ReportFiles{{1, {}}} << cancel << false << 1 << QByteArray();
    QTest::newRow("No appends") << takenUpTo(1) << MessageAnswer::No << true << 1 << OldReport;
    QTest::newRow("Cancel") << takenUpTo(3) << cancel << true << 0 << QByteArray();
    QTest::newRow("Yes, gap at 02")
        << takenUpTo(1) << MessageAnswer::Yes << true << 2 << QByteArray();
    QTest::newRow("Yes, gap at 03") << ReportFiles{{1, OldReport}, {2, OldReport}, {4, OldReport}}
                                    << MessageAnswer::Yes << true << 3 << QByteArray();
    QTest::newRow("Yes, an empty 02 is taken")
        << ReportFiles{{1, OldReport}, {2, {}}} << MessageAnswer::Yes << true << 3 << QByteArray();
    QTest::newRow("Yes, 01 to 98 taken")
        << takenUpTo(98) << MessageAnswer::Yes << true << 99 << QByteArray();
    QTest::newRow("Yes, 01 to 99 taken")
        << takenUpTo(99) << MessageAnswer::Yes << true << 0 << QByteArray();
}

// A Create click over a directory holding one small file, with report files
// already in the report folder: which file gets the run's one line, and
// what happens to the others.
void RunControlTest::chooseReportFile()
{
    QFETCH(ReportFiles, existing);
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, asked);
    QFETCH(int, written);
    QFETCH(QByteArray, before);

    TestTree tree;
    tree.file(QStringLiteral("scan/readme.txt"), "x");
    QVERIFY(QDir().mkpath(tree.path(QStringLiteral("reports"))));
    for (auto file = existing.cbegin(); file != existing.cend(); ++file)
        tree.file(reportName(file.key()), file.value());

    DirectoryCursor cursor;
    cursor.dir.setPath(tree.rawPath(QStringLiteral("scan")));
    cursor.files.setPattern(QStringLiteral("*.exe"));
    RecordingRunWindow window;
    ScriptedFrontEnd frontEnd;
    frontEnd.answer = answer;
    const ReportFolder folder(tree.path(QStringLiteral("reports")));
    RunControl control(window, cursor, frontEnd, folder);
    control.botOK_Click();

    QCOMPARE(cursor.files.Pattern(), QStringLiteral("*.*"));
    QCOMPARE(!frontEnd.messages.isEmpty() &&
                 frontEnd.messages.first().style == MessageStyle::YesNoCancelQuestion,
             asked);
    if (asked) {
        QCOMPARE(
            frontEnd.messages.first().prompt,
            QStringLiteral("[file-report01.txt] already exist.\rNew file report? (no=Append)"));
        QCOMPARE(frontEnd.messages.first().title,
                 QStringLiteral("Creating report in ") + folder.displayName());
    }
    QCOMPARE(window.calls.isEmpty(), written == 0);
    QVERIFY(!control.report().isOpen());
    QCOMPARE(window.caption, QStringLiteral("&Create"));
    for (int number = 1; number <= ReportFolder::LastNumber; ++number) {
        const QString name = reportName(number);
        if (number == written)
            QCOMPARE(tree.read(name), before + smallFileLine(QStringLiteral("readme.txt"),
                                                             tree.path(QStringLiteral("scan"))));
        else if (existing.contains(number))
            QCOMPARE(tree.read(name), existing.value(number));
        else
            QVERIFY2(!tree.exists(name), qPrintable(name));
    }

    const bool atLimit = existing.size() == 99 && answer == MessageAnswer::Yes;
    QCOMPARE(frontEnd.ended, atLimit);
    if (atLimit) {
        QCOMPARE(frontEnd.messages.last().prompt,
                 QStringLiteral("Critical error, you have 99 report files.\rPlease erase and "
                                "re-start"));
        QCOMPARE(frontEnd.messages.last().title, QStringLiteral("Closing Tallywick.."));
        QCOMPARE(frontEnd.messages.last().style, MessageStyle::Critical);
    }
}

void RunControlTest::unopenableReportLeavesWindowIdle()
{
    TestTree tree;
    DirectoryCursor cursor;
    cursor.dir.setPath(tree.rawPath());
    RecordingRunWindow window;
    ScriptedFrontEnd frontEnd;
    RunControl control(window, cursor, frontEnd,
                       ReportFolder(tree.path(QStringLiteral("no such folder"))));
    control.botOK_Click();

    QCOMPARE(frontEnd.messages.size(), 1);
    QCOMPARE(frontEnd.messages.first().style, MessageStyle::Critical);
    QVERIFY(frontEnd.messages.first().prompt.contains(
        tree.path(QStringLiteral("no such folder/file-report01.txt"))));
    QVERIFY(window.calls.isEmpty());
    QVERIFY(!control.report().isOpen());
    QVERIFY(!frontEnd.ended);
}

void RunControlTest::lockAndUnlockInOrder()
{
    TestTree tree;
    DirectoryCursor cursor;
    cursor.dir.setPath(tree.rawPath());
    RecordingRunWindow window;
    ScriptedFrontEnd frontEnd;
    RunControl control(window, cursor, frontEnd, ReportFolder(tree.path()));
    control.botOK_Click();

    // The caption first, then botcancel, chm, chg, chi, chv, Drive and Dir.
    QStringList expected{QStringLiteral("caption &Cancel")};
    for (RunLockControl control : RunLockSet)
        expected << QStringLiteral("%1 off").arg(int(control));
    expected << QStringLiteral("caption &Create");
    for (RunLockControl control : RunLockSet)
        expected << QStringLiteral("%1 on").arg(int(control));
    QCOMPARE(window.calls, expected);
}

void RunControlTest::listBackAtStartAfterStop_data()
{
    QTest::addColumn<QString>("stop");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("messages");

    QTest::newRow("Cancel entering a directory") << QStringLiteral("visit") << 0 << 0 << 0;
    QTest::newRow("out of memory") << QStringLiteral("memory") << 0 << 0 << 1;
    QTest::newRow("Cancel in the classification") << QStringLiteral("classify") << 0 << 0 << 0;
    QTest::newRow("Cancel in the listing") << QStringLiteral("list") << 2 << 1 << 1;
}

// A walk stopped below its start (a Cancel in the one directory with files,
// three levels down): after the stop nothing more is written or asked, and
// the directory list is back where the run started, so that the next Create
// catalogues the whole tree.
void RunControlTest::listBackAtStartAfterStop()
{
    QFETCH(QString, stop);
    QFETCH(int, lines);
    QFETCH(int, questions);
    QFETCH(int, messages);
    TestTree tree;
    for (const char *name : {"tool.exe", "a.txt", "b.txt", "c.txt", "d.txt"})
        tree.file(QStringLiteral("scan/a/b/c/") + QLatin1String(name));
    DirectoryCursor cursor;
    cursor.dir.setPath(tree.rawPath(QStringLiteral("scan")));
    RecordingRunWindow window;
    ScriptedFrontEnd frontEnd;
    RunControl control(window, cursor, frontEnd, ReportFolder(tree.path()));
    frontEnd.onPump = [&] {
        if (stop == QLatin1String("memory") &&
            cursor.dir.Path().endsWith(QByteArray("/scan/a").replace('/', PathSeparator)))
            throw std::bad_alloc();
        if (stop == QLatin1String("visit") &&
            cursor.dir.Path().endsWith(QByteArray("/c").replace('/', PathSeparator)))
            control.botOK_Click();
    };
    frontEnd.onBusyPump = [&] {
        if ((stop == QLatin1String("classify") && frontEnd.busyPumps == 1) ||
            (stop == QLatin1String("list") && control.report().linesWritten() == 2))
            control.botOK_Click();
    };
    control.botOK_Click();

    QCOMPARE(tree.read(reportFileName(1)).count('\n'), lines);
    QCOMPARE(frontEnd.questions, questions);
    QCOMPARE(frontEnd.messages.size(), messages);
    QCOMPARE(cursor.dir.Path(), tree.rawPath(QStringLiteral("scan")));
    QCOMPARE(cursor.files.Path(), cursor.dir.Path());
}

QTEST_GUILESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
