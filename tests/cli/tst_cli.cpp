#include "testthreads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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

#ifdef Q_OS_WIN
constexpr int SIGHUP = 1; // names a row of the signal cases, which Windows skips
#endif

constexpr int WaitMs = 60000; // only against a hang: no test depends on timing

const QByteArray Question = "ONLY one software on this directory?"_ba;

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// "-o report.txt Tree" -> {"-o", "report.txt", "Tree"}
QStringList words(const char *arguments)
{
    return QString::fromUtf8(arguments).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

// Runs tallywick-cli on trees in a fresh temporary folder and compares its
// report byte for byte. In the expected reports "@" stands for the folder,
// lower-cased as the report writes it, and "\n" for the report's CRLF.
class TestCli : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_locked;     // a folder whose mode lock() changed
    QStringList m_asUser; // what runs the program as an ordinary user

    QString path(const QString &relative) const
    {
        return QDir::toNativeSeparators(m_dir->path() + u'/' + relative);
    }

    QByteArray expected(QByteArray report) const
    {
#ifdef Q_OS_WIN
        report.replace('/', '\\');
#endif
        const QString root = QDir::toNativeSeparators(m_dir->path()).toLower();
        return report.replace('@', root.toUtf8()).replace("\n", "\r\n");
    }

    void makeFile(const QString &relative, qint64 size = 1)
    {
        QVERIFY(QDir().mkpath(QFileInfo(path(relative)).path()));
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size)); // large files stay sparse
    }

    QByteArray readFile(const QString &relative) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QString &relative, const QByteArray &content)
    {
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    // Sets the mode of a folder of the tree, and as root, who can read and
    // search every directory, has the program run as the unprivileged user
    // "nobody", who may enter the temporary folder. False when that cannot be done.
    bool lock(const QString &relative, int mode)
    {
#ifdef Q_OS_WIN
        Q_UNUSED(relative);
        Q_UNUSED(mode);
        return false;
#else
        m_locked = path(relative);
        if (::chmod(QFile::encodeName(m_locked).constData(), mode_t(mode)) != 0)
            return false;
        if (geteuid() != 0)
            return true;
        m_asUser = words("setpriv --reuid=65534 --regid=65534 --clear-groups");
        return !QStandardPaths::findExecutable(u"setpriv"_s).isEmpty() &&
               ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0;
#endif
    }

    void startCli(QProcess &process, const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LC_ALL"_s, u"C"_s); // "," groups thousands
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir->path());
        ageDirectories(QFile::encodeName(m_dir->path()));
        QStringList command =
            m_asUser +
            QStringList{QStringLiteral(TALLYWICK_CLI), u"-j"_s, QString::number(testThreads())} +
            arguments;
        process.start(command.takeFirst(), command);
        QVERIFY(process.waitForStarted(WaitMs));
    }

    Result runCli(const QStringList &arguments, const QByteArray &input = QByteArray()) const
    {
        QProcess process;
        startCli(process, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(WaitMs) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QByteArray waitForQuestion(QProcess &process) const
    {
        process.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains(Question) && process.waitForReadyRead(WaitMs))
            err += process.readAllStandardError();
        return err;
    }

    // Beta is visited first, then Alpha asks the question, then the top folder
    // would write Top.txt.
    void startAtQuestion(QProcess &process, const QString &report)
    {
        for (const char *name :
             {"Top.txt", "Beta/b.txt", "Alpha/data.dat", "Alpha/doomed.txt", "Alpha/game.exe"})
            makeFile(u"Tree/"_s + QLatin1StringView(name));
        startCli(process, {u"--install-answer=ask"_s, u"-o"_s, report, u"Tree"_s});
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/Tallywick-CLI-XXXXXX"_s);
        QVERIFY(m_dir->isValid());
        m_asUser.clear();
    }

    void cleanup()
    {
        if (!m_locked.isEmpty())
            QFile::setPermissions(m_locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        m_locked.clear();
    }

    // Runs on one folder of a tree of all the cases. A report.txt of the
    // content `previous` is made first, unless it is null; with
    // `questions` the install question is asked that many times, else
    // nothing at all is written to standard error.
    void report_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("file"); // report.txt after the run, unless null
        QTest::addColumn<int>("questions");

        const QByteArray tree = "graphic-files          6Fs @/tree/photos\n"
                                "board.bmp          1,000Kb @/tree/chess\n"
                                "chess tournament n     2Kb @/tree/chess\n"
                                "intro.avi              2Mb @/tree/chess\n"
                                "readme.txt             2Kb @/tree/chess\n"
                                "setup.log              1Kb @/tree/chess\n"_ba;
        const QByteArray old = "old line\n"_ba;
        QTest::newRow("standard output")
            << words("Tree") << ""_ba << QByteArray() << tree << QByteArray() << 0;
        QTest::newRow("new file") << words("Tree -o report.txt") << ""_ba << QByteArray() << ""_ba
                                  << tree << 0;
        QTest::newRow("existing file emptied")
            << words("Tree -o report.txt") << ""_ba << old << ""_ba << tree << 0;
        QTest::newRow("existing file appended to")
            << words("Tree -o report.txt --append") << ""_ba << old << ""_ba << old + tree << 0;

        const QByteArray notes = "a.txt                  1Kb @/notes/sub\n"_ba;
        QTest::newRow("relative") << words("Notes/Sub") << ""_ba << QByteArray() << notes
                                  << QByteArray() << 0;
        QTest::newRow("dot parts") << words("./Notes/Other/../Sub/.") << ""_ba << QByteArray()
                                   << notes << QByteArray() << 0;
        QTest::newRow("symbolic link kept")
            << words("Link/Sub") << ""_ba << QByteArray()
            << "a.txt                  1Kb @/link/sub\n"_ba << QByteArray() << 0;

        const QByteArray songs = "music-files            1Fs @/kinds/songs\n"_ba;
        const QByteArray setup = "install-files          1Fs @/kinds/setup\n"_ba;
        const QByteArray photos = "graphic-files          1Fs @/kinds/photos\n"_ba;
        const QByteArray films = "video-files            1Fs @/kinds/films\n"_ba;
        const auto kinds = [](const char *name, const char *options, const QByteArray &out) {
            QTest::newRow(name) << words(options) << ""_ba << QByteArray() << out << QByteArray()
                                << 0;
        };
        kinds("all kinds", "Kinds", songs + setup + photos + films);
        kinds("no graphic", "--no-graphic Kinds",
              songs + setup + "p1.jpg                 1Kb @/kinds/photos\n" + films);
        kinds("no music", "--no-music Kinds",
              "s1.mp3                 1Kb @/kinds/songs\n" + setup + photos + films);
        kinds("no video", "--no-video Kinds",
              songs + setup + photos + "f1.avi                 1Kb @/kinds/films\n");
        kinds("no install", "--no-install Kinds",
              songs + "setup.exe              1Kb @/kinds/setup\n" + photos + films);

        const auto game = [](const char *name, const char *options, const QByteArray &input,
                             bool install, int questions) {
            QTest::newRow(name) << words(options) << input << QByteArray()
                                << (install ? "install-files          2Fs @/game\n"_ba
                                            : "data.dat               1Kb @/game\n"
                                              "game.exe               1Kb @/game\n"_ba)
                                << QByteArray() << questions;
        };
        game("yes", "--install-answer yes Game", ""_ba, true, 0);
        game("no", "--install-answer=no Game", ""_ba, false, 0);
        game("default without a terminal", "Game", "y\n"_ba, false, 0);
        game("ask, y", "--install-answer=ask Game", "y\n"_ba, true, 1);
        game("ask, NO", "--install-answer=ask Game", "NO\n"_ba, false, 1);
        game("ask again after nonsense", "--install-answer=ask Game", "maybe\nYes\n"_ba, true, 2);
        game("ask, end of input", "--install-answer=ask Game", ""_ba, false, 1);
    }

    void report()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, previous);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, file);
        QFETCH(int, questions);
#ifdef Q_OS_WIN
        if (arguments.constFirst().startsWith("Link"_L1))
            QSKIP("QFile::link makes a shortcut file on Windows, not a link");
#endif
        makeFile(u"Tree/Chess/ReadMe.TXT"_s, 1536);
        makeFile(u"Tree/Chess/Setup.Log"_s, 0);
        makeFile(u"Tree/Chess/Chess Tournament Notes.doc"_s, 2500);
        makeFile(u"Tree/Chess/Board.bmp"_s, 999500);
        makeFile(u"Tree/Chess/Intro.avi"_s, 2500000);
        for (const char *name :
             {"Tree/Photos/a.jpg", "Tree/Photos/b.JPG", "Tree/Photos/c.gif", "Tree/Photos/d.bmp",
              "Tree/Photos/e.pcx", "Tree/Photos/notes.txt", "Notes/Sub/A.txt",
              "Kinds/Photos/P1.JPG", "Kinds/Songs/S1.MP3", "Kinds/Films/F1.AVI",
              "Kinds/Setup/SETUP.EXE", "Game/Game.exe", "Game/data.dat"})
            makeFile(QLatin1StringView(name));
        QVERIFY(QFile::link(path(u"Notes"_s), path(u"Link"_s)));
        if (!previous.isNull())
            writeFile(u"report.txt"_s, expected(previous));

        const Result result = runCli(arguments, input);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected(out));
        if (!file.isNull())
            QCOMPARE(readFile(u"report.txt"_s), expected(file));
        QCOMPARE(result.err.count(Question), questions);
        if (questions == 0)
            QCOMPARE(result.err, QByteArray());
        else
            QVERIFY(result.err.contains(QFile::encodeName(path(u"Game"_s))));
    }

    // What reaches the terminal has no control character but the line ends,
    // and no line longer than the name, a 400-character message and its line
    // end. A run that cannot start (status 2) leaves the report as it was.
    void messages_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@": the folder
        QTest::addColumn<QString>("file");          // made first, unless empty
        QTest::addColumn<int>("mode");              // then of the first folder of `file`
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err"); // "@": the folder; "*": any run of characters

        const auto usage = [](const char *name, const char *arguments, const QByteArray &message) {
            QTest::newRow(name) << words(arguments) << QString() << -1 << QByteArray() << 2
                                << "tallywick-cli: " + message + "\nTry 'tallywick-cli --help'.\n";
        };
        usage("no directory", "", "missing DIRECTORY");
        usage("two directories", "a b", "unexpected argument 'b'");
        usage("unknown option", "--colour a", "unknown option '--colour'");
        usage("append without output", "-a a", "--append needs --output");
        usage("bad install answer", "--install-answer=maybe a",
              "--install-answer takes yes, no or ask, not 'maybe'");
        usage("output without value", "a -o", "option '-o' needs a value");
        usage("no threads", "-j0 a", "--threads takes a number from 1 to 64, not '0'");
        usage("threads not a number", "--threads=all a",
              "--threads takes a number from 1 to 64, not 'all'");

        const auto badDirectory = [](const char *name, const QString &directory, int mode,
                                     const QByteArray &reason) {
            QTest::newRow(name) << QStringList{u"-o"_s, u"@/report.txt"_s, u"@/"_s + directory}
                                << (mode < 0 ? QString() : directory + u"/Sub/a.txt"_s) << mode
                                << QByteArray() << 2
                                << "tallywick-cli: *@/" + directory.toUtf8() + "*" + reason + "\n";
        };
        badDirectory("missing", u"Missing"_s, -1, "(No such file or directory)");
        badDirectory("a file", u"report.txt"_s, -1, "(Not a directory)");
        badDirectory("not readable", u"Locked"_s, 0300, "(Permission denied)");
        badDirectory("not searchable", u"Locked"_s, 0644, "(Permission denied)");

        const QString controls = u"Missing\x1b[31m\a\n\u009b\x7f"_s;
        QTest::newRow("control characters in an error")
            << QStringList{controls} << QString() << -1 << QByteArray() << 2
            << "tallywick-cli: Path not found: @/Missing?[31m???? (No such file or directory)\n"_ba;
        const QString level = u"abcdefghijklmnopqrstuvwxyz/"_s;
        QTest::newRow("an error about a path of 12 KB")
            << QStringList{u"Missing/"_s + level.repeated(450)} << QString() << -1 << QByteArray()
            << 2
            << "tallywick-cli: *: @/Missing/" + level.toUtf8() + "*...*/" +
                   level.chopped(1).toUtf8() + " (*)\n";
        const QString game = u"Game\x1b]0;title\a"_s;
        const QByteArray question = "@/Game?]0;title?\n" + Question + " [y/n] ";
        QTest::newRow("control characters in a question and an answer")
            << QStringList{u"--install-answer=ask"_s, u"-oreport.txt"_s, game}
            << game + u"/game.exe"_s << -1 << "\x1b[2J\nn\n"_ba << 0
            << question + "?[2J\n" + question + "n\n";
    }

    void messages()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(int, mode);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, err);
#ifdef Q_OS_WIN
        if (err.contains('?'))
            QSKIP("Windows names hold no control characters");
        err.replace('/', '\\');
#endif
        const QString root = QDir::toNativeSeparators(m_dir->path());
        for (QString &argument : arguments)
            if (argument.startsWith(u'@'))
                argument = path(argument.mid(2));
        writeFile(u"report.txt"_s, "old line\r\n");
        if (!file.isEmpty())
            makeFile(file);
        if (mode >= 0 && !lock(file.section(u'/', 0, 0), mode))
            QSKIP("needs POSIX permissions, and setpriv to run as an ordinary user");
        const Result result = runCli(arguments, input);
        QCOMPARE(result.exitCode, exitCode);
        QString pattern = QRegularExpression::escape(
            QString::fromUtf8(err.replace('@', QFile::encodeName(root))));
        pattern.replace("\\*"_L1, ".*"_L1);
        const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
        QVERIFY2(whole.match(QString::fromUtf8(result.err)).hasMatch(), result.err.constData());
        QCOMPARE(result.err.count('\n'), err.count('\n'));
        for (const QByteArray &line : result.err.split('\n'))
            QVERIFY2(line.size() <= 15 + 400, line.constData());
        QCOMPARE(result.out, QByteArray());
        if (exitCode == 2)
            QCOMPARE(readFile(u"report.txt"_s), "old line\r\n"_ba);
    }

    void unopenableReport_data()
    {
        QTest::addColumn<QString>("report");
        QTest::newRow("a directory") << u"Tree"_s;
        QTest::newRow("in a missing folder") << u"Missing/report.txt"_s;
    }

    void unopenableReport()
    {
        QFETCH(QString, report);
        makeFile(u"Tree/a.txt"_s);
        const Result result = runCli({u"--output"_s, report, u"Tree"_s});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.err.startsWith("tallywick-cli: cannot open the report: "));
        QVERIFY(result.err.contains(QFile::encodeName(report)));
        QCOMPARE(result.out, QByteArray());
        QVERIFY(!QFile::exists(path(u"Missing"_s)));
    }

    // A directory the user cannot open and read is not listed, so the walk
    // never stumbles on it.
    void unreadableDirectoryIsLeftOut()
    {
        makeFile(u"Tree/open/a.txt"_s);
        makeFile(u"Tree/locked/b.txt"_s);
        if (!lock(u"Tree/locked"_s, 0))
            QSKIP("needs POSIX permissions, and setpriv to run as an ordinary user");
        const Result result = runCli({u"-q"_s, path(u"Tree"_s)});
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected("a.txt                  1Kb @/tree/open\n"));
    }

    void signals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("toFifo"); // sent while opening a FIFO report, not at the question
        QTest::newRow("SIGINT at the question") << int(SIGINT) << false;
        QTest::newRow("SIGTERM at the question") << int(SIGTERM) << false;
        QTest::newRow("SIGHUP at the question") << int(SIGHUP) << false;
        QTest::newRow("SIGINT opening a FIFO") << int(SIGINT) << true;
        QTest::newRow("SIGHUP opening a FIFO") << int(SIGHUP) << true;
    }

    // A stop signal at the question counts as the answer No and nothing more
    // is written: neither the directory asked about nor the top folder. One
    // that comes while the report, a FIFO, waits for its reader ends the run
    // before the walk. Either way the program ends by that signal, without a
    // message.
    void signals()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no signals to send to one program; Ctrl-C goes to a whole console");
#else
        QFETCH(int, signal);
        QFETCH(bool, toFifo);
        if (toFifo)
            QCOMPARE(::mkfifo(QFile::encodeName(path(u"report.txt"_s)).constData(), 0600), 0);
        QProcess process;
        startAtQuestion(process, u"report.txt"_s);
        const pid_t pid = pid_t(process.processId());
        QByteArray err;
        if (toFifo) {
            // The kernel names where the process sleeps: opening a FIFO.
            QFile wchan(u"/proc/%1/wchan"_s.arg(pid));
            if (!wchan.exists())
                QSKIP("needs /proc/PID/wchan");
            QByteArray waitsIn;
            for (int tries = 0; waitsIn != "wait_for_partner" && tries < WaitMs / 10; ++tries) {
                QThread::msleep(10);
                waitsIn = wchan.open(QIODevice::ReadOnly) ? wchan.readAll() : QByteArray();
                wchan.close();
            }
            QCOMPARE(waitsIn, "wait_for_partner"_ba);
        } else {
            err = waitForQuestion(process);
            QVERIFY(err.contains(Question));
        }
        ::kill(pid, signal);
        QVERIFY(process.waitForFinished(WaitMs));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(process.exitCode(), signal);
        err += process.readAllStandardError();
        QVERIFY2(!err.contains("tallywick-cli:"), err.constData());
        if (!toFifo)
            QCOMPARE(readFile(u"report.txt"_s),
                     expected("b.txt                  1Kb @/tree/beta\n"));
#endif
    }

    // A file that goes away between the listing and its length query ends
    // the run with the error, keeping the lines written before it.
    void vanishedFileEndsRun()
    {
        QProcess process;
        startAtQuestion(process, u"report.txt"_s);
        QVERIFY(waitForQuestion(process).contains(Question));
        QVERIFY(QFile::remove(path(u"Tree/Alpha/doomed.txt"_s)));
        process.write("n\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(WaitMs));
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.contains("tallywick-cli: File not found: " +
                              QFile::encodeName(path(u"Tree/Alpha/doomed.txt"_s))),
                 err.constData());
        QCOMPARE(readFile(u"report.txt"_s), expected("b.txt                  1Kb @/tree/beta\n"
                                                     "data.dat               1Kb @/tree/alpha\n"));
    }

    void writeFailure_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("full disk")
            << words("-o/dev/full") << "/dev/full (No space left on device)"_ba;
        QTest::newRow("closed pipe") << QStringList() << "(Broken pipe)"_ba;
    }

    // A report of more lines than are held back before writing: the write
    // fails during the walk, and again when the report is closed. The run
    // ends with the message, shown once.
    void writeFailure()
    {
#ifdef Q_OS_WIN
        QSKIP("needs /dev/full or a closed pipe for output, which Windows programs do not get");
#else
        QFETCH(QStringList, options);
        QFETCH(QByteArray, reason);
        if (!options.isEmpty() && !QFile::exists(u"/dev/full"_s))
            QSKIP("needs /dev/full");
        for (int i = 0; i < 1500; ++i)
            makeFile(u"Tree/%1.txt"_s.arg(i));
        QProcess process;
        if (options.isEmpty()) { // standard output is a pipe that nobody reads
            process.setChildProcessModifier([] {
                int ends[2];
                if (::pipe(ends) == 0) {
                    ::close(ends[0]);
                    ::dup2(ends[1], STDOUT_FILENO);
                }
            });
        }
        startCli(process, options << u"Tree"_s);
        QVERIFY(process.waitForFinished(WaitMs));
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.startsWith("tallywick-cli: ") && err.endsWith(reason + '\n') &&
                     err.count('\n') == 1,
                 err.constData());
#endif
    }

    void closedStandardStreams_data()
    {
        QTest::addColumn<QList<int>>("closed");
        QTest::newRow("input and error") << QList<int>{0, 2};
        QTest::newRow("all three") << QList<int>{0, 1, 2};
    }

    // A closed standard stream reads and writes nothing: the report never
    // takes its place, so the question never lands in the report.
    void closedStandardStreams()
    {
#ifdef Q_OS_WIN
        QSKIP("a program started by QProcess on Windows cannot be given closed streams");
#else
        QFETCH(QList<int>, closed);
        makeFile(u"Game/Game.exe"_s);
        makeFile(u"Game/data.dat"_s);
        QProcess process;
        process.setChildProcessModifier([closed] {
            for (const int fd : closed)
                ::close(fd);
        });
        startCli(process, words("--install-answer=ask -oreport.txt Game"));
        QVERIFY(process.waitForFinished(WaitMs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(readFile(u"report.txt"_s), expected("data.dat               1Kb @/game\n"
                                                     "game.exe               1Kb @/game\n"));
#endif
    }

    // The progress line as a terminal of 60 columns shows it, with wide (CJK)
    // names, combining marks and control characters. A third of the
    // directories ask the install question, answered No by the command line
    // without a word.
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
            for (int j = 0; j < 20; ++j)
                makeFile(folder + u"/file %1.txt"_s.arg(j));
            if (i % 3 == 0)
                makeFile(folder + u"/game.exe"_s);
        }
        winsize size = {};
        size.ws_col = Width;
        int terminal = -1, terminalSide = -1;
        QCOMPARE(::openpty(&terminal, &terminalSide, nullptr, nullptr, &size), 0);
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        QProcess process;
        process.setChildProcessModifier([terminalSide] { ::dup2(terminalSide, STDERR_FILENO); });
        startCli(process, words("--install-answer=no Tree"));
        ::close(terminalSide);
        // The report is read only after each pause: meanwhile the walk waits
        // on the full pipe, and when it goes on a new progress line is due.
        QByteArray drawn;
        auto readDrawn = [terminal, &drawn] {
            char buffer[4096];
            for (ssize_t count; (count = ::read(terminal, buffer, sizeof buffer)) > 0;)
                drawn.append(buffer, count);
        };
        do {
            QThread::msleep(150);
            readDrawn();
            process.readAllStandardOutput();
        } while (process.waitForReadyRead(WaitMs));
        QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(WaitMs));
        readDrawn();
        ::close(terminal);
        QCOMPARE(process.exitCode(), 0);

        // A terminal's line: its columns, and the cursor.
        QList<char32_t> line(Width, U' ');
        int column = 0, draws = 0, clears = 0;
        auto isBlank = [&line] { return line.count(U' ') == Width; };
        QVERIFY2(drawn.startsWith('\r'), drawn.constData());
        for (const char32_t c : QString::fromUtf8(drawn).toUcs4()) {
            if (c == U'\r') {
                // Nothing is left past what was written since the last return.
                for (int k = column; k < Width; ++k)
                    QVERIFY2(line.at(k) == U' ', drawn.constData());
                if (column > 0)
                    ++(isBlank() ? clears : draws);
                column = 0;
                continue;
            }
            QVERIFY2(c >= 0x20 && (c < 0x7F || c > 0x9F), drawn.constData()); // a control character
            const int width = c >= 0x4E00 && c <= 0x9FFF ? 2 : c == 0x301 ? 0 : 1; // CJK, accent
            QVERIFY2(column + width <= Width - 1, drawn.constData()); // the last column stays free
            if (width > 0)
                line[column] = c;
            if (width > 1)
                line[column + 1] = 0;
            column += width;
        }
        QVERIFY2(draws >= 2, drawn.constData());
        QVERIFY2(drawn.contains("文件夹") && drawn.contains("?[7m?") && drawn.contains("..."),
                 drawn.constData());
        QCOMPARE(clears, 1); // at the end
        QVERIFY(drawn.endsWith('\r') && isBlank());
#endif
    }

    // With the address space cut down until a large directory's listing no
    // longer fits, the run says so and ends as failed, its report
    // incomplete; it never aborts.
    void outOfMemory()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows cannot limit the address space of one program");
#else
        // Memory-backed where there is such a folder: many files are made faster there.
        const bool shm = QFileInfo(u"/dev/shm"_s).isWritable();
        QTemporaryDir big(shm ? u"/dev/shm/tst_cli-XXXXXX"_s : path(u"Big"_s));
        const QString longName = QString(200, u'n');
        for (int i = 0; i < 40000; ++i)
            QVERIFY(QFile(big.filePath(QString::number(i) + longName)).open(QIODevice::WriteOnly));

        const auto runWithin = [&](rlim_t kilobytes) {
            QProcess process;
            process.setChildProcessModifier([kilobytes] {
                const rlimit limit = {kilobytes * 1024, kilobytes * 1024};
                setrlimit(RLIMIT_AS, &limit);
            });
            startCli(process, {u"-q"_s, u"-o"_s, u"r.txt"_s, big.path()});
            process.waitForFinished(WaitMs);
            return process.exitStatus() == QProcess::NormalExit
                       ? Result{process.exitCode(), {}, process.readAllStandardError()}
                       : Result{};
        };
        // The least memory that does, to within a megabyte, and the run just short of it.
        rlim_t fails = 16 * 1024, works = 2048 * 1024;
        Result failed;
        while (works - fails > 1024) {
            const rlim_t middle = (fails + works) / 2;
            const Result result = runWithin(middle);
            QVERIFY2(result.exitCode != -1, "the run aborted");
            (result.exitCode == 0 ? works : fails) = middle;
            if (result.exitCode != 0)
                failed = result;
        }
        if (failed.exitCode != 1)
            QSKIP("the program cannot even start with a little less memory than the run needs");
        QVERIFY(failed.err.contains("Out of memory, you've filled the list box."));
#endif
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
