// The Create click up to the walk: the report file choice and the lock.

#include "directorycursor.h"
#include "reportfolder.h"
#include "runcontrol.h"
#include "runwindow.h"
#include "scriptedfrontend.h"
#include "testtree.h"

Q_DECLARE_METATYPE(MessageAnswer)

namespace {

// The window as a run sees it, recording what the run does to it.
struct RecordingRunWindow : RunWindow
{
    QString botOKCaption() const override { return caption; }
    void setBotOKCaption(const QString &text) override
    {
        calls << QStringLiteral("caption ") + (caption = text);
    }
    void setControlEnabled(RunLockControl control, bool enabled) override
    {
        calls
            << QStringLiteral("%1 %2").arg(int(control)).arg(QLatin1String(enabled ? "on" : "off"));
    }
    CategorySwitches categorySwitches() const override { return {}; }
    void runStateChanged() override {}

    QString caption = QStringLiteral("&Create");
    QStringList calls;
};

const QByteArray OldReport = "earlier report\r\n";

// Report files 01 to 99 of a test: number -> content.
using ReportFiles = QMap<int, QByteArray>;

// "1-3 5e 7t": files 01 to 03 holding an earlier report, an empty 05, and
// a 07 whose last line has no line break.
ReportFiles reportFiles(const QString &names)
{
    ReportFiles files;
    for (const QString &item : names.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QChar kind = item.back();
        const QByteArray content = kind == QLatin1Char('e')   ? QByteArray()
                                   : kind == QLatin1Char('t') ? OldReport.trimmed()
                                                              : OldReport;
        const QString numbers = kind.isLetter() ? item.chopped(1) : item;
        const QStringList range = numbers.split(QLatin1Char('-'));
        for (int number = range.first().toInt(); number <= range.last().toInt(); ++number)
            files.insert(number, content);
    }
    return files;
}

QByteArray reportName(int number)
{
    return "reports/file-report" + QByteArray::number(number).rightJustified(2, '0') + ".txt";
}

} // namespace

class RunControlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chooseReportFile_data()
    {
        QTest::addColumn<QString>("names"); // the report files there, as reportFiles() reads it
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("written"); // the report file of the run, 0 for none

        const MessageAnswer cancel = MessageAnswer::Cancel, yes = MessageAnswer::Yes;
        QTest::newRow("none") << QString() << cancel << false << 1;
        QTest::newRow("numbered files but no first")
            << QStringLiteral("2-3") << cancel << false << 1;
        QTest::newRow("empty first") << QStringLiteral("1e") << cancel << false << 1;
        QTest::newRow("No appends") << QStringLiteral("1") << MessageAnswer::No << true << 1;
        QTest::newRow("No appends after a torn line")
            << QStringLiteral("1t") << MessageAnswer::No << true << 1;
        QTest::newRow("Cancel") << QStringLiteral("1-3") << cancel << true << 0;
        QTest::newRow("Yes, gap at 02") << QStringLiteral("1") << yes << true << 2;
        QTest::newRow("Yes, gap at 03") << QStringLiteral("1-2 4") << yes << true << 3;
        QTest::newRow("Yes, an empty 02 is taken") << QStringLiteral("1 2e") << yes << true << 3;
        QTest::newRow("Yes, 01 to 98 taken") << QStringLiteral("1-98") << yes << true << 99;
        QTest::newRow("Yes, 01 to 99 taken") << QStringLiteral("1-99") << yes << true << 0;
    }

    // A Create click over a directory holding one small file, with report files
    // already in the report folder: which file gets the run's one line, and
    // what happens to the others.
    void chooseReportFile()
    {
        QFETCH(QString, names);
        const ReportFiles existing = reportFiles(names);
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, asked);
        QFETCH(int, written);

        TestTree tree;
        tree.write("scan/readme.txt", "x");
        tree.dir("reports");
        for (auto file = existing.cbegin(); file != existing.cend(); ++file)
            tree.write(reportName(file.key()), file.value());

        DirectoryCursor cursor;
        cursor.dir.setPath(tree.path("scan"));
        cursor.files.setPattern(QStringLiteral("*.exe"));
        RecordingRunWindow window;
        ScriptedFrontEnd frontEnd;
        frontEnd.answer = answer;
        const ReportFolder folder(tree.native("reports"));
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
        const QByteArray line = smallFileLine(QStringLiteral("readme.txt"), tree.native("scan"));
        for (int number = 1; number <= 99; ++number) {
            const QByteArray name = reportName(number);
            QByteArray report = existing.value(number);
            if (number == written) {
                report += (report.isEmpty() || report.endsWith('\n') ? "" : "\r\n") + line;
                QCOMPARE(control.progress().reportLines, report.count('\n'));
            }
            QCOMPARE(tree.read(name), report);
            QCOMPARE(QFile::exists(tree.native(name)),
                     number == written || existing.contains(number));
        }

        const bool atLimit = existing.size() == 99 && answer == MessageAnswer::Yes;
        QCOMPARE(frontEnd.ended, atLimit);
        if (atLimit) {
            const auto &last = frontEnd.messages.last();
            QCOMPARE(last.prompt,
                     QStringLiteral("Critical error, you have 99 report files.\rPlease "
                                    "erase and re-start"));
            QCOMPARE(last.title, QStringLiteral("Closing Tallywick.."));
            QCOMPARE(last.style, MessageStyle::Critical);
        }
    }

    // A report folder that is not there: one critical message, and the window
    // never locked. One that is: the caption, then the seven controls in order
    // (botcancel, chm, chg, chi, chv, Drive, Dir), locked and then unlocked.
    void lockOnlyWithReport_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("calls");
        QTest::newRow("no folder") << QStringLiteral("no such folder") << QString();
        QTest::newRow("folder") << QString()
                                << QStringLiteral(
                                       "caption &Cancel,0 off,1 off,2 off,3 off,4 off,5 off,"
                                       "6 off,caption &Create,0 on,1 on,2 on,3 on,4 on,5 "
                                       "on,6 on");
    }

    void lockOnlyWithReport()
    {
        QFETCH(QString, folder);
        QFETCH(QString, calls);
        TestTree tree;
        DirectoryCursor cursor;
        cursor.dir.setPath(tree.root());
        RecordingRunWindow window;
        ScriptedFrontEnd frontEnd;
        RunControl control(window, cursor, frontEnd, ReportFolder(tree.native(folder.toUtf8())));
        control.botOK_Click();

        QCOMPARE(window.calls, calls.split(QLatin1Char(','), Qt::SkipEmptyParts));
        QCOMPARE(frontEnd.messages.size(), folder.isEmpty() ? 0 : 1);
        if (!folder.isEmpty()) {
            QCOMPARE(frontEnd.messages.first().style, MessageStyle::Critical);
            QVERIFY(frontEnd.messages.first().prompt.contains(
                tree.native(folder.toUtf8() + "/file-report01.txt")));
        }
        QVERIFY(!control.report().isOpen());
        QVERIFY(!frontEnd.ended);
    }

    void listBackAtStartAfterStop_data()
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
    void listBackAtStartAfterStop()
    {
        QFETCH(QString, stop);
        QFETCH(int, lines);
        QFETCH(int, questions);
        QFETCH(int, messages);
        TestTree tree;
        for (const char *name : {"tool.exe", "a.txt", "b.txt", "c.txt", "d.txt"})
            tree.file("scan/a/b/c/" + QByteArray(name));
        DirectoryCursor cursor;
        cursor.dir.setPath(tree.path("scan"));
        RecordingRunWindow window;
        ScriptedFrontEnd frontEnd;
        RunControl control(window, cursor, frontEnd, ReportFolder(tree.native()));
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

        QCOMPARE(tree.read("file-report01.txt").count('\n'), lines);
        QCOMPARE(frontEnd.questions, questions);
        QCOMPARE(frontEnd.messages.size(), messages);
        QCOMPARE(cursor.dir.Path(), tree.path("scan"));
        QCOMPARE(cursor.files.Path(), cursor.dir.Path());
    }
};

QTEST_GUILESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
