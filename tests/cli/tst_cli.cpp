// SPDX-License-Identifier: GPL-3.0-or-later
#include "sanitizers.h"
#include "systemreason.h"
#include "terminaltext.h"
#include "testthreads.h"
#include "testtree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr int WaitMs = 60000; // only against a hang: no test depends on timing

const QByteArray Question = "ONLY one software on this directory?"_ba;

QStringList words(const char *arguments)
{
    return QString::fromUtf8(arguments).split(u' ', Qt::SkipEmptyParts);
}

// A reason as tallywick-cli writes it.
QByteArray reason(const char *posixText, unsigned long windowsError)
{
    return systemReason(posixText, windowsError).toUtf8();
}

struct Run // one run of the program and what it must leave
{
    QStringList arguments = {}; // "@/x": x in the folder
    QByteArray input = {};
    int exitCode = 0;
    int killedBy = 0;         // the signal that ended the program, if one did
    QByteArray out = {};      // standard output
    QByteArray report = {};   // report.txt, unless null
    QByteArray err = {};      // "@": the folder; "*": any run of characters within a line
    QByteArray previous = {}; // report.txt before, unless null
    QString file = {};        // made first, unless empty
    QString locked = {};      // a folder given `mode`, the run then as an ordinary user
    int mode = 0;
    QList<int> closed = {};         // standard streams closed; -1: output a pipe nobody reads
    bool pipeSignalIgnored = false; // SIGPIPE ignored by the parent
    qulonglong memoryKb = 0;        // the address space, unless 0
    QString vanishing = {};         // removed at the question
    int signal = 0;                 // sent at the question, or while opening a FIFO report
    bool toFifo = false;            // report.txt a FIFO nobody reads
};

} // namespace

Q_DECLARE_METATYPE(Run)

// Runs tallywick-cli on trees in a fresh temporary folder; its reports are compared
// byte for byte, "@" for the folder lower-cased and "\n" for the report's CRLF.
class TestCli : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestTree> m_tree;
    QString m_locked;     // a folder whose mode lock() changed
    QStringList m_asUser; // what runs the program as an ordinary user

    QString path(const QString &relative) const { return m_tree->native(relative.toUtf8()); }

    QByteArray expected(QByteArray report) const
    {
#ifdef Q_OS_WIN
        report.replace('/', '\\');
#endif
        return report.replace('@', m_tree->native().toLower().toUtf8()).replace("\n", "\r\n");
    }

    // Sets the mode of a folder; as root, who reads every directory, the program then runs
    // as the user "nobody", who may enter the temporary folder. False if that cannot be.
    bool lock(const QString &relative, [[maybe_unused]] int mode)
    {
        m_locked = path(relative);
#ifdef Q_OS_WIN
        return false;
#else
        if (geteuid() == 0)
            m_asUser = words("setpriv --reuid=65534 --regid=65534 --clear-groups");
        return ::chmod(QFile::encodeName(m_locked).constData(), mode_t(mode)) == 0 &&
               (m_asUser.isEmpty() || (!QStandardPaths::findExecutable(u"setpriv"_s).isEmpty() &&
                                       ::chmod(m_tree->root().constData(), 0755) == 0));
#endif
    }

    void startCli(QProcess &process, const QStringList &arguments) const
    {
        process.setWorkingDirectory(m_tree->native());
        ageDirectories(m_tree->root());
        QStringList command = m_asUser;
        command << QStringLiteral(TALLYWICK_CLI) << u"-j"_s << QString::number(testThreads())
                << arguments;
        process.start(command.takeFirst(), command);
        QVERIFY(process.waitForStarted(WaitMs));
    }

    Run runCli(const Run &run) const
    {
        QProcess process;
#ifndef Q_OS_WIN
        process.setChildProcessModifier([run] {
            std::signal(SIGPIPE, run.pipeSignalIgnored ? SIG_IGN : SIG_DFL);
            const rlimit limit = {run.memoryKb * 1024, run.memoryKb * 1024};
            if (run.memoryKb > 0)
                setrlimit(RLIMIT_AS, &limit);
            int ends[2];
            if (run.closed.contains(-1) && ::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
            }
            for (const int fd : run.closed)
                ::close(fd);
        });
#endif
        startCli(process, run.arguments);
        QByteArray err;
        if (run.signal != 0 || !run.vanishing.isEmpty())
            interrupt(process, run, err);
        if (run.signal == 0) {
            process.write(run.input);
            process.closeWriteChannel();
        }
        if (!process.waitForFinished(WaitMs))
            return {.exitCode = -1};
        const bool killed = process.exitStatus() != QProcess::NormalExit;
        return {.exitCode = killed ? -1 : process.exitCode(),
                .killedBy = killed ? process.exitCode() : 0,
                .out = process.readAllStandardOutput(),
                .err = err + process.readAllStandardError()};
    }

    // Waits for the question, or for the program to block opening a FIFO report, then
    // removes the file or sends the signal; `err` takes what the program said meanwhile.
    void interrupt(QProcess &process, const Run &run, QByteArray &err) const
    {
        process.setReadChannel(QProcess::StandardError);
        while (!run.toFifo && !err.contains(Question) && process.waitForReadyRead(WaitMs))
            err += process.readAllStandardError();
        QVERIFY(run.toFifo || err.contains(Question));
        QVERIFY(run.vanishing.isEmpty() || QFile::remove(path(run.vanishing)));
#ifndef Q_OS_WIN
        // The kernel names where the process sleeps: opening a FIFO.
        QFile wchan(u"/proc/%1/wchan"_s.arg(process.processId()));
        const auto sleepsIn = [&wchan] {
            const QByteArray in = wchan.open(QIODevice::ReadOnly) ? wchan.readAll() : QByteArray();
            wchan.close();
            return in;
        };
        if (run.toFifo)
            QTRY_COMPARE_WITH_TIMEOUT(sleepsIn(), "wait_for_partner"_ba, WaitMs);
        if (run.signal != 0)
            ::kill(pid_t(process.processId()), run.signal);
#endif
    }

private Q_SLOTS:
    void init()
    {
        qputenv("LC_ALL", "C"); // for the program: "," groups thousands
        m_tree = std::make_unique<TestTree>(QDir::tempPath() + u"/Tallywick-CLI-XXXXXX"_s);
        m_asUser.clear();
    }

    void cleanup()
    {
        if (!m_locked.isEmpty())
            QFile::setPermissions(m_locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // What reaches the terminal has no control character but the line ends. A
    // run that cannot start (status 2) leaves the report as it was.
    void run_data()
    {
        QTest::addColumn<Run>("run");
        const auto row = [](const char *name, const char *arguments, Run run) {
            run.arguments = words(arguments) + run.arguments;
            QTest::newRow(name) << run;
        };
        const QByteArray tree = "board.txt          1,000Kb @/tree\n"_ba;
        const QByteArray old = "old line\n"_ba;
        row("standard output", "Tree", {.out = tree});
        row("new file", "Tree -o report.txt", {.report = tree});
        row("existing file emptied", "Tree -o report.txt", {.report = tree, .previous = old});
        row("existing file appended to", "Tree -o report.txt --append",
            {.report = old + tree, .previous = old});
        // Grouped switches, an attached value, a directory named like an option after "--".
        row("-aq -oFILE -- -q", "-aq -oreport.txt -- -q",
            {.report = old + "a.txt                  1Kb @/-q\n",
             .previous = old,
             .file = u"-q/a.txt"_s});

        const QByteArray notes = "a.txt                  1Kb @/notes/sub\n"_ba;
        row("relative", "Notes/Sub", {.out = notes});
        row("dot parts", "./Notes/Other/../Sub/.", {.out = notes});
#ifdef Q_OS_WIN
        // "%" for the folder's drive, "Z:": its working directory there is the folder.
        row("drive-relative", "%Notes/Sub", {.out = notes});
#endif
        row("symbolic link kept", "Link/Sub", {.out = "a.txt                  1Kb @/link/sub\n"});
        // A directory the user cannot open and read is not listed, nor stumbled on,
        // and the run says so and fails. One on a later disk of a package is left
        // out too, said once at its top, and the run succeeds.
        const QByteArray leftOut = "tallywick-cli: 1 directory left out: ";
        row("unreadable directory left out", "-q Partly",
            {.exitCode = 1,
             .out = "a.txt                  1Kb @/partly/open\n",
             .err = "tallywick-cli: cannot read directory @/Partly/locked: Permission denied\n" +
                    leftOut + "1 could not be read, 0 on later disks\n",
             .locked = u"Partly/locked"_s});
        const QByteArray laterDisk = "tallywick-cli: left out @/*isk* and everything below it: a "
                                     "later disk of a multi-disk package (a name beginning with "
                                     "\"disk\" and no \"disk1\" in its path)\n" +
                                     leftOut + "0 could not be read, 1 on a later disk\n";
        row("later disk left out", "Package",
            {.out = "readme.txt             1Kb @/package/disk1\n", .err = laterDisk});
        row("starting on a later disk", "DiskBackup",
            {.err = laterDisk, .file = u"DiskBackup/Old/a.txt"_s});

        // Each kind's folder of one file, in the order of the walk; then each box cleared.
        const QByteArray all = "music-files            1Fs @/kinds/songs\n"
                               "install-files          1Fs @/kinds/setup\n"
                               "graphic-files          1Fs @/kinds/photos\n"
                               "video-files            1Fs @/kinds/films\n"_ba;
        row("all kinds", "Kinds", {.out = all});
        for (const auto &[kind, file] : {std::pair{"music", "s1.mp3"},
                                         {"install", "setup.exe"},
                                         {"graphic", "p1.jpg"},
                                         {"video", "f1.avi"}}) {
            const QByteArray box = (kind + "-files"_ba).leftJustified(23) + "1Fs";
            row(kind, ("--no-"_ba + kind + " Kinds").constData(),
                {.out = QByteArray(all).replace(box, QByteArray(file).leftJustified(23) + "1Kb")});
        }

        const QByteArray install = "install-files          2Fs @/game\n"_ba;
        const QByteArray files = "data.dat               1Kb @/game\n"
                                 "game.exe               1Kb @/game\n"_ba;
        const char *ask = "--install-answer=ask Game";
        const QByteArray asked = "@/Game\n" + Question + " [y*n] "; // "*": "/" on every system
        row("yes", "--install-answer yes Game", {.out = install});
        row("no", "--install-answer=no Game", {.out = files});
        row("default without a terminal", "Game", {.input = "y\n", .out = files});
        row("ask, y", ask, {.input = "y\n", .out = install, .err = asked + "y\n"});
        row("ask, NO", ask, {.input = "NO\n", .out = files, .err = asked + "NO\n"});
        row("ask again after nonsense", ask,
            {.input = "maybe\nYes\n", .out = install, .err = asked + "maybe\n" + asked + "Yes\n"});
        row("ask, end of input", ask, {.out = files, .err = asked + "\n"});

        // mode: of Locked, unless 0
        const auto failed = [&row](const char *name, const QByteArray &arguments,
                                   const QByteArray &err, int mode = 0) {
            row(name, arguments.constData(),
                {.exitCode = 2,
                 .err = "tallywick-cli: " + err + '\n',
                 .previous = "old line\n",
                 .locked = mode ? u"Locked"_s : QString(),
                 .mode = mode});
        };
        const QByteArray help = "\nTry 'tallywick-cli --help'.";
        failed("no directory", "", "missing DIRECTORY" + help);
        failed("two directories", "a b", "unexpected argument 'b'" + help);
        failed("unknown option", "--colour a", "unknown option '--colour'" + help);
        failed("append without output", "-a a", "--append needs --output" + help);
        failed("bad install answer", "--install-answer=maybe a",
               "--install-answer takes yes, no or ask, not 'maybe'" + help);
        failed("output without value", "a -o", "option '-o' needs a value" + help);
        failed("no threads", "-j0 a", "--threads takes a number from 1 to 64, not '0'" + help);
        failed("empty report name", "--output= a", "the report file name is empty" + help);
        failed("threads not a number", "--threads=all a",
               "--threads takes a number from 1 to 64, not 'all'" + help);
        failed("unknown format", "--format xml a",
               "--format takes report, csv or jsonl, not 'xml'" + help);

        failed("missing", "-o @/report.txt @/Missing",
               "*@/Missing*(" + reason("No such file or directory", 2 /* file not found */) + ')');
        failed("a file", "-o @/report.txt @/report.txt",
               "*@/report.txt*(" + reason("Not a directory", 267 /* invalid directory */) + ')');
        failed("not readable", "-o @/report.txt @/Locked", "*@/Locked*(Permission denied)", 0300);
        failed("not searchable", "-o @/report.txt @/Locked", "*@/Locked*(Permission denied)", 0644);
        failed("report a directory", "--output @/Tree Tree", "cannot open the report: *@/Tree*");
        failed("report in a missing folder", "--output @/Missing/report.txt Tree",
               "cannot open the report: *@/Missing/report.txt (" +
                   reason("No such file or directory", 3 /* path not found */) + ')');

        const QString game = u"Game\x1b]0;title\a"_s;
        const QByteArray question = "@/Game?]0;title?\n" + Question + " [y/n] ";
        row("control characters in a question and an answer",
            (u"--install-answer=ask -oreport.txt "_s + game).toUtf8().constData(),
            {.input = "\x1b[2J\nn\n",
             .err = question + "?[2J\n" + question + "n\n",
             .file = game + u"/game.exe"_s});

        // A report of more lines than are held back, to where it cannot be written:
        // it fails in the walk and on closing, and the run ends with one message.
        row("full disk", "-o/dev/full Many",
            {.exitCode = 1, .err = "tallywick-cli: */dev/full (No space left on device)\n"});
        // A reader that has gone ends the run quietly, as it ends other tools.
        row("closed pipe", "Many", {.exitCode = -1, .killedBy = 13 /* SIGPIPE */, .closed = {-1}});
        row("closed pipe, SIGPIPE ignored", "Many",
            {.exitCode = 141, .closed = {-1}, .pipeSignalIgnored = true});
        row("- for standard output", "-o - Tree", {.out = tree});
        // A closed standard stream reads and writes nothing: the report never
        // takes its place, so the question never lands in the report.
        const char *closed = "--install-answer=ask -oreport.txt Game";
        row("input and error closed", closed, {.report = files, .closed = {0, 2}});
        row("all three closed", closed, {.report = files, .closed = {0, 1, 2}});

        // Beta is visited, then Alpha asks the question, then the top folder would write
        // Top.txt. A file gone before its length is read ends the run with the error,
        // keeping the lines before. A stop signal at the question (its line then ended),
        // or while a FIFO report waits for its reader, ends the program by it without a
        // word, writing nothing more.
        const char *quiz = "--install-answer=ask -o report.txt Quiz";
        const QByteArray beta = "b.txt                  1Kb @/quiz/beta\n"_ba;
        const QByteArray alpha = "@/Quiz/Alpha\n" + Question + " [y*n] ", halted = alpha + '\n';
        row("a file vanished", quiz,
            {.input = "n\n",
             .exitCode = 1,
             .report = beta + "data.dat               1Kb @/quiz/alpha\n",
             .err = alpha + "n\ntallywick-cli: File not found: @/Quiz/Alpha/doomed.txt (*)\n",
             .vanishing = u"Quiz/Alpha/doomed.txt"_s});
        for (const int stop : {int(SIGINT), int(SIGTERM), 1}) { // 1: SIGHUP, unnamed on Windows
            const QByteArray name = "signal " + QByteArray::number(stop);
            row((name + " at the question").constData(), quiz,
                {.exitCode = -1, .killedBy = stop, .report = beta, .err = halted, .signal = stop});
            row((name + " opening a FIFO").constData(), quiz,
                {.exitCode = -1, .killedBy = stop, .signal = stop, .toFifo = true});
        }
    }

    void run()
    {
        QFETCH(Run, run);
#ifdef Q_OS_WIN
        if (run.arguments.value(0).startsWith("Link"_L1) || !run.closed.isEmpty() ||
            run.signal != 0 ||
            run.arguments.join(u' ').contains(QRegularExpression(u"[\\x01-\\x1f]"_s)))
            QSKIP("on Windows QFile::link makes shortcuts, names hold no control characters, "
                  "QProcess closes no stream and no signal goes to one program alone");
        run.err.replace('/', '\\');
#else
        QVERIFY(!run.toFifo || ::mkfifo(m_tree->path("report.txt").constData(), 0600) == 0);
#endif
        if (run.arguments.contains(u"-o/dev/full"_s) && !QFile::exists(u"/dev/full"_s))
            QSKIP("needs /dev/full");
        if (run.toFifo && !QFile::exists(u"/proc/self/wchan"_s))
            QSKIP("needs /proc/PID/wchan");
        if (builtWithAddressSanitizer && !run.closed.isEmpty())
            QSKIP("the streams are closed in the child before it runs the program, in memory "
                  "it may share with this process, where AddressSanitizer's marks are not safe");
        for (const char *file :
             {"Tree/Board.txt", "Notes/Sub/A.txt", "Partly/open/a.txt", "Partly/locked/b.txt",
              "Locked/Sub/a.txt", "Kinds/Photos/P1.JPG", "Kinds/Songs/S1.MP3", "Kinds/Films/F1.AVI",
              "Kinds/Setup/SETUP.EXE", "Game/Game.exe", "Game/data.dat", "Package/Disk1/readme.txt",
              "Package/Disk2/Sub/a.txt", "Quiz/Top.txt", "Quiz/Beta/b.txt", "Quiz/Alpha/data.dat",
              "Quiz/Alpha/doomed.txt", "Quiz/Alpha/game.exe"})
            m_tree->file(file, file[0] == 'T' ? 999500 : 1);
        for (int i = 0; run.arguments.contains(u"Many"_s) && i < 1500; ++i)
            m_tree->file("Many/" + QByteArray::number(i) + ".txt");
        if (!run.file.isEmpty())
            m_tree->file(run.file.toUtf8());
        QVERIFY(QFile::link(path(u"Notes"_s), path(u"Link"_s)));
        if (!run.locked.isEmpty() && !lock(run.locked, run.mode))
            QSKIP("needs POSIX permissions, and setpriv to run as an ordinary user");
        if (!run.previous.isNull())
            m_tree->write("report.txt", expected(run.previous));
        for (QString &argument : run.arguments) {
            if (argument.startsWith(u'@'))
                argument = path(argument.mid(2));
            if (argument.startsWith(u'%'))
                argument.replace(0, 1, path(QString()).left(2));
        }

        const Run result = runCli(run);
        QVERIFY2(result.exitCode == run.exitCode && result.killedBy == run.killedBy,
                 result.err.constData());
        QCOMPARE(result.out, expected(run.out));
        if (!run.report.isNull() || !run.previous.isNull())
            QCOMPARE(m_tree->read("report.txt"),
                     expected(run.report.isNull() ? run.previous : run.report));
        QString pattern =
            QRegularExpression::escape(QString::fromUtf8(run.err.replace('@', m_tree->root())));
        pattern.replace("\\*"_L1, ".*"_L1);
        const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
        QVERIFY2(whole.match(QString::fromUtf8(result.err)).hasMatch(), result.err.constData());
        QVERIFY(!QFile::exists(path(u"Missing"_s)));
    }

    // The progress line on a 60-column terminal, with wide (CJK) names, combining
    // marks and control characters; a third of the directories ask the install
    // question, answered No without a word.
    void progressLine()
    {
#ifdef Q_OS_WIN
        QSKIP("needs a pseudo-terminal");
#else
        constexpr int Width = 60;
        for (int i = 0; i < 120; ++i) {
            const QString folder =
                u"Tree/目录一二三四五六七八九十\x1b[7m\u009b/%1 e\u0301te\u0301 文件夹"_s.arg(
                    i, 3, 10, QLatin1Char('0'));
            for (int j = 0; j < (i % 3 == 0 ? 21 : 20); ++j)
                m_tree->file(
                    (folder + (j == 20 ? u"/game.exe"_s : u"/file %1.txt"_s.arg(j))).toUtf8());
        }
        winsize size = {0, Width, 0, 0};
        int terminal = -1, terminalSide = -1;
        QCOMPARE(::openpty(&terminal, &terminalSide, nullptr, nullptr, &size), 0);
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        QProcess process;
        process.setChildProcessModifier([terminalSide] { ::dup2(terminalSide, STDERR_FILENO); });
        startCli(process, words("--install-answer=no Tree"));
        ::close(terminalSide);
        // The report is read after each pause: the walk waits on the full pipe meanwhile.
        QByteArray drawn;
        char buffer[4096];
        for (bool running = true; running;) {
            running = process.state() != QProcess::NotRunning;
            QTest::qSleep(150);
            for (ssize_t count; (count = ::read(terminal, buffer, sizeof buffer)) > 0;)
                drawn.append(buffer, count);
            process.readAllStandardOutput();
            if (running && !process.waitForReadyRead(WaitMs))
                QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(WaitMs));
        }
        ::close(terminal);
        QCOMPARE(process.exitCode(), 0);

        // Each return starts the line again: what follows covers all that was
        // shown (padded with spaces), and the last column stays free.
        int draws = 0, clears = 0, shown = 0; // shown: columns up to the last non-blank
        QVERIFY2(drawn.startsWith('\r'), drawn.constData());
        for (const QString &part : QString::fromUtf8(drawn).split(u'\r', Qt::SkipEmptyParts)) {
            int column = 0;
            const int before = std::exchange(shown, 0);
            for (const char32_t c : part.toUcs4()) {
                QVERIFY2(c >= 0x20 && (c < 0x7F || c > 0x9F),
                         drawn.constData()); // a control character
                column += c >= 0x4E00 && c <= 0x9FFF ? 2 : c == 0x301 ? 0 : 1; // CJK, accent
                shown = c == U' ' ? shown : column;
            }
            QVERIFY2(column >= before && column <= Width - 1, drawn.constData());
            ++(shown == 0 ? clears : draws);
        }
        QVERIFY2(draws >= 2 && drawn.contains("文件夹") && drawn.contains("?[7m?") &&
                     drawn.contains("..."),
                 drawn.constData());
        QCOMPARE(clears, 1); // at the end
        QVERIFY(drawn.endsWith('\r') && shown == 0);
#endif
    }

    // --version names the program, its version and its licence, as GNU programs do;
    // on Windows "/?" shows the help, as Windows programs do.
    void version()
    {
        const Run result = runCli({.arguments = {u"--version"_s}});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith("tallywick-cli " TALLYWICK_VERSION) &&
                     result.out.contains("License GPLv3+: GNU GPL version 3 or later"),
                 result.out.constData());
#ifdef Q_OS_WIN
        const Run help = runCli({.arguments = { u"/?"_s }});
        QCOMPARE(help.exitCode, 0);
        QCOMPARE(help.out, runCli({.arguments = { u"--help"_s }}).out);
#endif
    }

    // The same report whatever the number of threads, on a tree with files,
    // nested directories, collections that summarise and names in mixed case.
    void sameReportAnyThreads()
    {
        for (const char *file :
             {"Mixed/Read Me.TXT", "Mixed/a.txt", "Mixed/Docs/Letter.DOC", "Mixed/docs2/letter.doc",
              "Mixed/Photos/2019/IMG_0001.JPG", "Mixed/Photos/2019/img_0002.jpg",
              "Mixed/Photos/Trip/Beach.png", "Mixed/Music/Album One/01 Song.MP3",
              "Mixed/Music/Album One/02 song.mp3", "Mixed/Music/Album One/03 Third.Mp3",
              "Mixed/Deep/a/b/c/d/Bottom.txt", "Mixed/Deep/a/b/Middle.txt"})
            m_tree->file(file, qint64(qstrlen(file)) * 1000);
        for (int i = 0; i < 60; ++i)
            m_tree->files("Mixed/Wide/Dir" + QByteArray::number(i) + (i % 2 ? "" : "/Sub"),
                          {"x.txt", "Y.txt", "z" + QByteArray::number(i) + ".dat"});
        QByteArray reports[2];
        for (const int threads : {1, 8}) {
            const Run result =
                runCli({.arguments = words("-q -o r.txt Mixed -j") << QString::number(threads)});
            QVERIFY2(result.exitCode == 0, result.err.constData());
            reports[threads == 8] = m_tree->read("r.txt");
        }
        QVERIFY2(reports[0].contains("graphic-files") && reports[0].contains("music-files") &&
                     reports[0].contains("bottom.txt"),
                 reports[0].constData());
        QCOMPARE(reports[1], reports[0]);
    }

    // Whatever the limit of the address space, and with workers reading ahead
    // (tst_cli-j8), the run either writes the whole report or says it ran out
    // of memory, once for each directory left out, having written whole lines
    // of it; it never aborts. Many small directories are tried at limits 4 MB
    // apart; one large directory ever closer to the least memory its listing
    // needs, where the run just short of that must have run out.
    void memoryLimit_data()
    {
        QTest::addColumn<bool>("oneLarge");
        QTest::newRow("many directories") << false;
        QTest::newRow("one large directory") << true;
    }

    void memoryLimit()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows cannot limit the address space of one program");
#else
        if (builtWithAddressSanitizer)
            QSKIP("AddressSanitizer reserves terabytes of address space before the program runs");
        QFETCH(bool, oneLarge);
        // Memory-backed where there is such a folder: many files are made faster there.
        QTemporaryDir big(QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm/tst_cli-XXXXXX"_s
                                                                : path(u"Big"_s));
        for (int i = 0; oneLarge && i < 40000; ++i)
            QVERIFY(QFile(big.filePath(QString::number(i) + QString(200, u'n')))
                        .open(QIODevice::WriteOnly));
        for (int i = 0; !oneLarge && i < 500; ++i)
            m_tree->file("Many/" + QByteArray::number(i / 50) + '/' + QByteArray::number(i / 5) +
                         "/file" + QByteArray::number(i % 5) + ".txt");
        Run limited{.arguments = words("-q -o r.txt") << (oneLarge ? big.path() : u"Many"_s)};
        QCOMPARE(runCli(limited).exitCode, 0);
        const QByteArray whole = m_tree->read("r.txt");
        const QList<QByteArray> lines = whole.split('\n');
        // A step up each time, or halving the gap between a limit that failed and one that did not.
        qulonglong low = oneLarge ? 16 * 1024 : 36000, high = oneLarge ? 2048 * 1024 : 164000;
        Run failed; // at the highest limit that failed
        while (high - low > (oneLarge ? 1024 : 4000)) {
            limited.memoryKb = oneLarge ? (low + high) / 2 : low + 4000;
            QFile::remove(path(u"r.txt"_s));
            const Run result = runCli(limited);
            (oneLarge && result.exitCode == 0 ? high : low) = limited.memoryKb;
            failed = result.exitCode == 0 ? failed : result;
            const QByteArray report = m_tree->read("r.txt");
            const QByteArray at =
                "at " + QByteArray::number(limited.memoryKb) + " KiB: " + result.err;
            QVERIFY2(result.exitCode != -1, at.constData());
            if (result.exitCode == 127 && result.err.contains("error while loading shared"))
                continue; // the program could not even start
            if (result.exitCode == 0) {
                QVERIFY2(report == whole, at.constData());
                continue;
            }
            QVERIFY2(result.exitCode == 1 && result.err.endsWith('\n'), at.constData());
            for (const QByteArray &message : result.err.chopped(1).split('\n'))
                QVERIFY2(message == "tallywick-cli: Out of memory, you've filled the list box.",
                         at.constData());
            QVERIFY2(report.isEmpty() || report.endsWith("\r\n"), at.constData());
            for (const QByteArray &line : report.split('\n'))
                QVERIFY2(lines.contains(line), at.constData());
        }
        if (oneLarge && failed.exitCode != 1)
            QSKIP("the program cannot even start with a little less memory than the run needs");
#endif
    }

    // A text as the terminal gets it: its columns (two for a wide character,
    // none for a combining mark or an invisible format character) and, when
    // longer than a message may be, its start and end around "...", a
    // character beyond the basic plane counting as one.
    void terminalText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("shown");
        const QString a(200, u'a'), b(200, u'b'), notes = u"\U0001F3B5"_s.repeated(400);
        QTest::newRow("wide up to U+1F93A") << u"\U0001F93A\U0001F93B"_s << 3 << QString();
        QTest::newRow("marks and formats") << u"e\u0301\u200b\u0600"_s << 2 << QString();
        QTest::newRow("401 characters")
            << a + u'x' + b << 401 << a.left(198) + u"..."_s + b.right(199);
        QTest::newRow("400 characters, 800 units") << notes << 800 << QString();
    }

    void terminalText()
    {
        QFETCH(QString, text);
        QFETCH(int, columns);
        QFETCH(QString, shown);
        QCOMPARE(TerminalText::columns(text), columns);
        QCOMPARE(TerminalText::shortenedInMiddle(text), shown.isNull() ? text : shown);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
