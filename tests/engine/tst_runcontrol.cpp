// SPDX-License-Identifier: GPL-3.0-or-later
// The Create click up to the walk: the report file choice and the lock.

#include "directorycursor.h"
#include "reportfolder.h"
#include "runcontrol.h"
#include "runwindow.h"
#include "scriptedfrontend.h"
#include "testtree.h"

using namespace Qt::StringLiterals;

namespace {

// The window as a run sees it, recording what the run does to it.
struct RecordingRunWindow : RunWindow
{
    void setCreateButtonCaption(const QString &text) override { calls << u"caption "_s + text; }
    void setControlEnabled(RunLockControl control, bool enabled) override
    {
        calls << u"%1 %2"_s.arg(int(control)).arg(QLatin1String(enabled ? "on" : "off"));
    }
    CategorySwitches categorySwitches() const override { return {}; }
    void runStateChanged() override {}

    QStringList calls;
};

const QByteArray OldReport = "earlier report\r\n";

// What a run does to the window: the caption, then the seven controls in order
// (botcancel, chm, chg, chi, chv, Drive, Dir by their object names), locked
// and then unlocked.
const QStringList LockAndUnlock =
    u"caption &Cancel,0 off,1 off,2 off,3 off,4 off,5 off,6 off,"
    "caption &Create,0 on,1 on,2 on,3 on,4 on,5 on,6 on"_s.split(u',');

using ReportFiles = QMap<int, QByteArray>;

// "1-3,5e,7t": files 01 to 03 holding an earlier report, an empty 05, and a 07
// whose last line has no line break; "-": none.
ReportFiles reportFiles(const QString &names)
{
    ReportFiles files;
    for (const QString &item : names.split(u',')) {
        const QChar kind = item.back();
        const QByteArray content = kind == u'e'   ? QByteArray()
                                   : kind == u't' ? OldReport.trimmed()
                                                  : OldReport;
        const QStringList range = (kind.isLetter() ? item.chopped(1) : item).split(u'-');
        for (int number = range.first().toInt(); number > 0 && number <= range.last().toInt();
             ++number)
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
    // "files answer written": the report files there, as reportFiles() reads
    // them ("x": no report folder at all); the answer to the question, "-" if it
    // is not asked; the report file of the run, 0 for none.
    void chooseReportFile_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row :
             {"x - 0", "- - 1", "2-3 - 1", "1e - 1", "1 No 1", "1t No 1", "1-3 Cancel 0", "1 Yes 2",
              "1-2,4 Yes 3", "1,2e Yes 3", "1-98 Yes 99", "1-99 Yes 0"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }

    // A Create click over a directory holding one small file, with report files
    // already in the report folder: which file gets the run's one line, and
    // what happens to the others; and the folder the texts name.
    void chooseReportFile()
    {
        QFETCH(QString, row);
        const QStringList field = row.split(u' ');
        const ReportFiles existing = reportFiles(field[0]);
        const bool asked = field[1] != "-"_L1;
        const MessageAnswer answer = field[1] == "Yes"_L1  ? MessageAnswer::Yes
                                     : field[1] == "No"_L1 ? MessageAnswer::No
                                                           : MessageAnswer::Cancel;
        const int written = field[2].toInt();

        TestTree tree;
        tree.write("scan/readme.txt", "x");
        tree.dir("reports");
        for (auto file = existing.cbegin(); file != existing.cend(); ++file)
            tree.write(reportName(file.key()), file.value());

        RecordingRunWindow window;
        ScriptedFrontEnd frontEnd;
        Catalogue catalogue(frontEnd);
        DirectoryCursor &cursor = catalogue.cursor;
        cursor.dir.setPath(tree.path("scan"));
        cursor.files.setPattern(u"*.exe"_s);
        frontEnd.answer = answer;
        // The first folder refuses new files (as C:\ does to a standard user): the
        // reports go to the next.
        tree.write("refusing", "a file, not a folder");
        const ReportFolder folder = ReportFolder::firstTakingFiles(
            {tree.native("refusing"), tree.native(field[0] == "x"_L1 ? "missing" : "reports")});
        RunControl control(window, catalogue, folder);
        control.createButtonClicked();

        QCOMPARE(cursor.files.Pattern(), u"*.*"_s);
        QCOMPARE(!frontEnd.messages.isEmpty() &&
                     frontEnd.messages.first().style == MessageStyle::YesNoCancelQuestion,
                 asked);
        if (asked) {
            QCOMPARE(frontEnd.messages.first().prompt,
                     u"[file-report01.txt] already exist.\rNew file report? (no=Append)"_s);
            QCOMPARE(frontEnd.messages.first().title,
                     u"Creating report in "_s + folder.displayName());
        }
        QCOMPARE(window.calls, written ? LockAndUnlock : QStringList());
        QVERIFY(!control.report().isOpen());
        const QByteArray line = smallFileLine(u"readme.txt"_s, tree.native("scan"));
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
                     u"Critical error, you have 99 report files.\rPlease erase and re-start"_s);
            QCOMPARE(last.title, u"Closing Tallywick.."_s);
            QCOMPARE(last.style, MessageStyle::Critical);
        }
        if (field[0] == "x"_L1) { // one critical message
            QCOMPARE(frontEnd.messages.size(), 1);
            QCOMPARE(frontEnd.messages.first().style, MessageStyle::Critical);
            QVERIFY(frontEnd.messages.first().prompt.contains(
                tree.native("missing/file-report01.txt")));
        }
    }

    void listBackAtStartAfterStop_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("messages");

        QTest::newRow("Cancel entering a directory") << u"visit"_s << 0 << 0 << 0;
        QTest::newRow("out of memory") << u"memory"_s << 0 << 0 << 1;
        QTest::newRow("Cancel in the classification") << u"classify"_s << 0 << 0 << 0;
        QTest::newRow("Cancel in the listing") << u"list"_s << 2 << 1 << 1;
        // The second click of a double click on Create, handled at the run's
        // first pump: the run goes on to its end.
        QTest::newRow("double click on Create") << u"double"_s << 5 << 1 << 1;
    }

    // A walk stopped below its start (in the one directory with files, three
    // levels down) writes and asks nothing more, and the directory list is back
    // where the run started, so that the next Create catalogues the whole tree.
    // A click that is no Cancel stops nothing.
    void listBackAtStartAfterStop()
    {
        QFETCH(QString, stop);
        QFETCH(int, lines);
        QFETCH(int, questions);
        QFETCH(int, messages);
        TestTree tree;
        for (const char *name : {"tool.exe", "a.txt", "b.txt", "c.txt", "d.txt"})
            tree.file("scan/a/b/c/" + QByteArray(name));
        RecordingRunWindow window;
        ScriptedFrontEnd frontEnd;
        Catalogue catalogue(frontEnd);
        DirectoryCursor &cursor = catalogue.cursor;
        cursor.dir.setPath(tree.path("scan"));
        RunControl control(window, catalogue, ReportFolder(tree.native()));
        frontEnd.onPump = [&] {
            if (stop == "memory"_L1 && cursor.dir.Path() == tree.path("scan/a"))
                throw std::bad_alloc();
            if ((stop == "visit"_L1 && cursor.dir.Path() == tree.path("scan/a/b/c")) ||
                (stop == "double"_L1 && frontEnd.pumps == 1))
                control.createButtonClicked();
        };
        frontEnd.onBusyPump = [&] {
            if ((stop == "classify"_L1 && frontEnd.busyPumps == 1) ||
                (stop == "list"_L1 && control.report().linesWritten() == 2))
                control.createButtonClicked();
        };
        control.createButtonClicked();

        QCOMPARE(tree.read("file-report01.txt").count('\n'), lines);
        QCOMPARE(frontEnd.questions, questions);
        QCOMPARE(frontEnd.messages.size(), messages);
        QCOMPARE(cursor.dir.Path(), tree.path("scan"));
        QCOMPARE(cursor.files.Path(), cursor.dir.Path());
    }
};

QTEST_GUILESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
