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

namespace {

#ifdef Q_OS_WIN
constexpr int SIGHUP = 1; // names a row of the signal cases, which Windows skips
#endif

constexpr int WaitMs = 60000; // only against a hang: no test depends on timing

const QByteArray Question = QByteArrayLiteral("ONLY one software on this directory?");

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

// Runs tallywick-cli on trees in a fresh temporary folder and compares its
// report byte for byte. In the expected reports "@" stands for the folder,
// lower-cased as the report writes it, and "\n" for the report's CRLF.
class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void report_data();
    void report();
    void directoryArgument_data();
    void directoryArgument();
    void badUsage_data();
    void badUsage();
    void badDirectoryLeavesReportAlone_data();
    void badDirectoryLeavesReportAlone();
    void unopenableReport_data();
    void unopenableReport();
    void categorySwitches_data();
    void categorySwitches();
    void installAnswer_data();
    void installAnswer();
    void signals_data();
    void signals();
    void vanishedFileEndsRun();
    void writeFailure_data();
    void writeFailure();
    void unreadableDirectoryIsLeftOut();
    void messages_data();
    void messages();
    void closedStandardStreams_data();
    void closedStandardStreams();
    void progressLine();
    void outOfMemory();

private:
    QString path(const QString &relative) const
    {
        return QDir::toNativeSeparators(m_dir->path() + u'/' + relative);
    }
    QByteArray expected(QByteArray report) const;
    void makeFile(const QString &relative, qint64 size = 1);
    QByteArray readFile(const QString &relative) const;
    void writeFile(const QString &relative, const QByteArray &content);
    void startCli(QProcess &process, const QStringList &arguments) const;
    Result runCli(const QStringList &arguments, const QByteArray &input = QByteArray()) const;
    QByteArray waitForQuestion(QProcess &process) const;
    void makeQuestionTree();
    bool runAsOrdinaryUser(QStringList &command);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCli::init()
{
    m_dir =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Tallywick-CLI-XXXXXX"));
    QVERIFY(m_dir->isValid());
}

QByteArray TestCli::expected(QByteArray report) const
{
#ifdef Q_OS_WIN
    report.replace('/', '\\');
#endif
    const QString root = QDir::toNativeSeparators(m_dir->path()).toLower();
    return report.replace('@', root.toUtf8()).replace("\n", "\r\n");
}

void TestCli::makeFile(const QString &relative, qint64 size)
{
    QVERIFY(QDir().mkpath(QFileInfo(path(relative)).path()));
    QFile file(path(relative));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size)); // large files stay sparse
}

QByteArray TestCli::readFile(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestCli::writeFile(const QString &relative, const QByteArray &content)
{
    QFile file(path(relative));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

void TestCli::startCli(QProcess &process, const QStringList &arguments) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // "," groups thousands
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    ageDirectories(QFile::encodeName(m_dir->path()));
    const QStringList threads{QStringLiteral("-j"), QString::number(testThreads())};
    process.start(QStringLiteral(TALLYWICK_CLI), threads + arguments);
    QVERIFY(process.waitForStarted(WaitMs));
}

Result TestCli::runCli(const QStringList &arguments, const QByteArray &input) const
{
    QProcess process;
    startCli(process, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(WaitMs) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray TestCli::waitForQuestion(QProcess &process) const
{
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains(Question) && process.waitForReadyRead(WaitMs))
        err += process.readAllStandardError();
    return err;
}

void TestCli::report_data()
{
    QTest::addColumn<bool>("toFile");
    QTest::addColumn<bool>("append");
    QTest::addColumn<QByteArray>("previous");

    QTest::newRow("standard output") << false << false << QByteArray();
    QTest::newRow("new file") << true << false << QByteArray();
    QTest::newRow("existing file emptied") << true << false << QByteArray("old line\r\n");
    QTest::newRow("existing file appended to") << true << true << QByteArray("old line\r\n");
}

void TestCli::report()
{
    QFETCH(bool, toFile);
    QFETCH(bool, append);
    QFETCH(QByteArray, previous);
    makeFile(QStringLiteral("Tree/Chess/ReadMe.TXT"), 1536);
    makeFile(QStringLiteral("Tree/Chess/Setup.Log"), 0);
    makeFile(QStringLiteral("Tree/Chess/Chess Tournament Notes.doc"), 2500);
    makeFile(QStringLiteral("Tree/Chess/Board.bmp"), 999500);
    makeFile(QStringLiteral("Tree/Chess/Intro.avi"), 2500000);
    for (const char *name : {"a.jpg", "b.JPG", "c.gif", "d.bmp", "e.pcx", "notes.txt"})
        makeFile(QStringLiteral("Tree/Photos/") + QLatin1String(name));
    if (!previous.isNull())
        writeFile(QStringLiteral("report.txt"), previous);

    QStringList arguments{QStringLiteral("Tree")};
    if (toFile)
        arguments << QStringLiteral("-o") << QStringLiteral("report.txt");
    if (append)
        arguments << QStringLiteral("--append");
    const Result result = runCli(arguments);

    const QByteArray report = expected("graphic-files          6Fs @/tree/photos\n"
                                       "board.bmp          1,000Kb @/tree/chess\n"
                                       "chess tournament n     2Kb @/tree/chess\n"
                                       "intro.avi              2Mb @/tree/chess\n"
                                       "readme.txt             2Kb @/tree/chess\n"
                                       "setup.log              1Kb @/tree/chess\n");
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(toFile ? readFile(QStringLiteral("report.txt")) : result.out,
             (append ? previous : QByteArray()) + report);
    QCOMPARE(result.out.isEmpty(), toFile);
}

void TestCli::directoryArgument_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("reportPath");

    QTest::newRow("relative") << QStringLiteral("Tree/Notes") << QByteArray("@/tree/notes");
    QTest::newRow("dot parts") << QStringLiteral("./Tree/Other/../Notes/.")
                               << QByteArray("@/tree/notes");
    QTest::newRow("symbolic link kept")
        << QStringLiteral("Link/Notes") << QByteArray("@/link/notes");
}

void TestCli::directoryArgument()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, reportPath);
    makeFile(QStringLiteral("Tree/Notes/A.txt"));
#ifdef Q_OS_WIN
    if (argument.startsWith(QStringLiteral("Link")))
        QSKIP("QFile::link makes a shortcut file on Windows, not a link");
#endif
    QVERIFY(QFile::link(path(QStringLiteral("Tree")), path(QStringLiteral("Link"))));

    const Result result = runCli({argument});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, expected("a.txt                  1Kb " + reportPath + '\n'));
}

void TestCli::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("no directory") << QStringList() << QByteArray("missing DIRECTORY");
    QTest::newRow("two directories") << QStringList{QStringLiteral("a"), QStringLiteral("b")}
                                     << QByteArray("unexpected argument 'b'");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("a")}
                                    << QByteArray("unknown option '--colour'");
    QTest::newRow("append without output") << QStringList{QStringLiteral("-a"), QStringLiteral("a")}
                                           << QByteArray("--append needs --output");
    QTest::newRow("bad install answer")
        << QStringList{QStringLiteral("--install-answer=maybe"), QStringLiteral("a")}
        << QByteArray("--install-answer takes yes, no or ask, not 'maybe'");
    QTest::newRow("output without value") << QStringList{QStringLiteral("a"), QStringLiteral("-o")}
                                          << QByteArray("option '-o' needs a value");
    QTest::newRow("no threads") << QStringList{QStringLiteral("-j0"), QStringLiteral("a")}
                                << QByteArray("--threads takes a number from 1 to 64, not '0'");
    QTest::newRow("threads not a number")
        << QStringList{QStringLiteral("--threads=all"), QStringLiteral("a")}
        << QByteArray("--threads takes a number from 1 to 64, not 'all'");
}

void TestCli::badUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    const Result result = runCli(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err, "tallywick-cli: " + message + "\nTry 'tallywick-cli --help'.\n");
    QCOMPARE(result.out, QByteArray());
}

void TestCli::badDirectoryLeavesReportAlone_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<int>("mode"); // of the directory, made with a subdirectory; -1: none made
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("missing") << QStringLiteral("Missing") << -1
                             << QByteArray("(No such file or directory)\n");
    QTest::newRow("a file") << QStringLiteral("report.txt") << -1
                            << QByteArray("(Not a directory)\n");
    QTest::newRow("not readable") << QStringLiteral("Locked") << 0300
                                  << QByteArray("(Permission denied)\n");
    QTest::newRow("not searchable")
        << QStringLiteral("Locked") << 0644 << QByteArray("(Permission denied)\n");
}

void TestCli::badDirectoryLeavesReportAlone()
{
    QFETCH(QString, directory);
    QFETCH(int, mode);
    QFETCH(QByteArray, reason);
    writeFile(QStringLiteral("report.txt"), "old line\r\n");
    QStringList command{QStringLiteral(TALLYWICK_CLI), QStringLiteral("-o"),
                        path(QStringLiteral("report.txt")), path(directory)};
    if (mode >= 0) {
#ifdef Q_OS_WIN
        QSKIP("the test locks the folder with POSIX permissions");
#else
        makeFile(directory + QStringLiteral("/Sub/a.txt"));
        QCOMPARE(::chmod(QFile::encodeName(path(directory)).constData(), mode_t(mode)), 0);
        if (!runAsOrdinaryUser(command))
            QSKIP("needs setpriv to run as an ordinary user");
#endif
    }
    QProcess process;
    process.start(command.takeFirst(), command);
    QVERIFY(process.waitForFinished(WaitMs));
#ifndef Q_OS_WIN
    ::chmod(QFile::encodeName(path(directory)).constData(), 0700);
#endif
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(err.startsWith("tallywick-cli: ") && err.endsWith(reason), err.constData());
    QVERIFY(err.contains(QFile::encodeName(path(directory))));
    QCOMPARE(readFile(QStringLiteral("report.txt")), QByteArray("old line\r\n"));
}

void TestCli::unopenableReport_data()
{
    QTest::addColumn<QString>("report");
    QTest::newRow("a directory") << QStringLiteral("Tree");
    QTest::newRow("in a missing folder") << QStringLiteral("Missing/report.txt");
}

void TestCli::unopenableReport()
{
    QFETCH(QString, report);
    makeFile(QStringLiteral("Tree/a.txt"));
    const Result result = runCli({QStringLiteral("--output"), report, QStringLiteral("Tree")});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.startsWith("tallywick-cli: cannot open the report: "));
    QVERIFY(result.err.contains(QFile::encodeName(report)));
    QCOMPARE(result.out, QByteArray());
    QVERIFY(!QFile::exists(path(QStringLiteral("Missing"))));
}

void TestCli::categorySwitches_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("report");

    const QByteArray songs = "music-files            1Fs @/songs\n";
    const QByteArray setup = "install-files          1Fs @/setup\n";
    const QByteArray photos = "graphic-files          1Fs @/photos\n";
    const QByteArray films = "video-files            1Fs @/films\n";
    QTest::newRow("all kinds") << QStringList() << songs + setup + photos + films;
    QTest::newRow("no graphic") << QStringList{QStringLiteral("--no-graphic")}
                                << songs + setup + "p1.jpg                 1Kb @/photos\n" + films;
    QTest::newRow("no music") << QStringList{QStringLiteral("--no-music")}
                              << "s1.mp3                 1Kb @/songs\n" + setup + photos + films;
    QTest::newRow("no video") << QStringList{QStringLiteral("--no-video")}
                              << songs + setup + photos + "f1.avi                 1Kb @/films\n";
    QTest::newRow("no install") << QStringList{QStringLiteral("--no-install")}
                                << songs + "setup.exe              1Kb @/setup\n" + photos + films;
}

void TestCli::categorySwitches()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, report);
    for (const char *file : {"Photos/P1.JPG", "Songs/S1.MP3", "Films/F1.AVI", "Setup/SETUP.EXE"})
        makeFile(QLatin1String(file));

    const Result result = runCli(options << QStringLiteral("."));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, expected(report));
}

void TestCli::installAnswer_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("install");
    QTest::addColumn<int>("questions");

    const QString ask = QStringLiteral("--install-answer=ask");
    QTest::newRow("yes") << QStringList{QStringLiteral("--install-answer"), QStringLiteral("yes")}
                         << QByteArray() << true << 0;
    QTest::newRow("no") << QStringList{QStringLiteral("--install-answer=no")} << QByteArray()
                        << false << 0;
    QTest::newRow("default without a terminal") << QStringList() << QByteArray("y\n") << false << 0;
    QTest::newRow("ask, y") << QStringList{ask} << QByteArray("y\n") << true << 1;
    QTest::newRow("ask, NO") << QStringList{ask} << QByteArray("NO\n") << false << 1;
    QTest::newRow("ask again after nonsense")
        << QStringList{ask} << QByteArray("maybe\nYes\n") << true << 2;
    QTest::newRow("ask, end of input") << QStringList{ask} << QByteArray() << false << 1;
}

void TestCli::installAnswer()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, input);
    QFETCH(bool, install);
    QFETCH(int, questions);
    makeFile(QStringLiteral("Game/Game.exe"));
    makeFile(QStringLiteral("Game/data.dat"));

    const Result result = runCli(options << QStringLiteral("Game"), input);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, expected(install ? "install-files          2Fs @/game\n"
                                          : "data.dat               1Kb @/game\n"
                                            "game.exe               1Kb @/game\n"));
    QCOMPARE(result.err.count(Question), questions);
    QCOMPARE(result.err.contains(QFile::encodeName(path(QStringLiteral("Game")))), questions > 0);
}

// Beta is visited first, then Alpha asks the question, then the top folder
// would write Top.txt.
void TestCli::makeQuestionTree()
{
    makeFile(QStringLiteral("Tree/Top.txt"));
    makeFile(QStringLiteral("Tree/Beta/b.txt"));
    for (const char *name : {"data.dat", "doomed.txt", "game.exe"})
        makeFile(QStringLiteral("Tree/Alpha/") + QLatin1String(name));
}

void TestCli::signals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("toFifo"); // sent while opening a FIFO report, not at the question

    QTest::newRow("SIGINT at the question") << int(SIGINT) << false;
    QTest::newRow("SIGTERM at the question") << int(SIGTERM) << false;
    QTest::newRow("SIGHUP at the question") << int(SIGHUP) << false;
    QTest::newRow("SIGINT opening a FIFO") << int(SIGINT) << true;
    QTest::newRow("SIGHUP opening a FIFO") << int(SIGHUP) << true;
}

// A stop signal at the question counts as the answer No and nothing more is
// written: neither the directory asked about nor the top folder. One that
// comes while the report, a FIFO, waits for its reader ends the run before
// the walk. Either way the program ends by that signal, without a message.
void TestCli::signals()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no signals to send to one program; Ctrl-C goes to a whole console");
#else
    QFETCH(int, signal);
    QFETCH(bool, toFifo);
    makeQuestionTree();
    const QString report = QStringLiteral("report.txt");
    if (toFifo)
        QCOMPARE(::mkfifo(QFile::encodeName(path(report)).constData(), 0600), 0);

    QProcess process;
    startCli(process, {QStringLiteral("--install-answer=ask"), QStringLiteral("-o"), report,
                       QStringLiteral("Tree")});
    const pid_t pid = pid_t(process.processId());
    QByteArray err;
    if (toFifo) {
        // The kernel names where the process sleeps: opening a FIFO.
        QFile wchan(QStringLiteral("/proc/%1/wchan").arg(pid));
        if (!wchan.exists())
            QSKIP("needs /proc/PID/wchan");
        QByteArray waitsIn;
        for (int tries = 0; waitsIn != "wait_for_partner" && tries < WaitMs / 10; ++tries) {
            QThread::msleep(10);
            waitsIn = wchan.open(QIODevice::ReadOnly) ? wchan.readAll() : QByteArray();
            wchan.close();
        }
        QCOMPARE(waitsIn, QByteArray("wait_for_partner"));
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
    if (!toFifo) {
        QCOMPARE(readFile(report), expected("b.txt                  1Kb @/tree/beta\n"));
    }
#endif
}

// A file that goes away between the listing and its length query ends the
// run with the error, keeping the lines written before it.
void TestCli::vanishedFileEndsRun()
{
    makeQuestionTree();
    QProcess process;
    startCli(process, {QStringLiteral("--install-answer=ask"), QStringLiteral("-o"),
                       QStringLiteral("report.txt"), QStringLiteral("Tree")});
    QVERIFY(waitForQuestion(process).contains(Question));
    QVERIFY(QFile::remove(path(QStringLiteral("Tree/Alpha/doomed.txt"))));
    process.write("n\n");
    process.closeWriteChannel();

    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains("tallywick-cli: File not found: " +
                          QFile::encodeName(path(QStringLiteral("Tree/Alpha/doomed.txt")))),
             err.constData());
    QCOMPARE(readFile(QStringLiteral("report.txt")),
             expected("b.txt                  1Kb @/tree/beta\n"
                      "data.dat               1Kb @/tree/alpha\n"));
}

void TestCli::writeFailure_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("closedPipe");
    QTest::addColumn<QByteArray>("reason");

    QTest::newRow("full disk") << QStringList{QStringLiteral("-o/dev/full")} << false
                               << QByteArray("/dev/full (No space left on device)\n");
    QTest::newRow("closed pipe") << QStringList() << true << QByteArray("(Broken pipe)\n");
}

// A report of more lines than are held back before writing: the write
// fails during the walk, and again when the report is closed. The run ends
// with the message, shown once.
void TestCli::writeFailure()
{
#ifdef Q_OS_WIN
    QSKIP("needs /dev/full or a closed pipe for output, which Windows programs do not get");
#else
    QFETCH(QStringList, options);
    QFETCH(bool, closedPipe);
    QFETCH(QByteArray, reason);
    if (!closedPipe && !QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full");
    for (int i = 0; i < 1500; ++i)
        makeFile(QStringLiteral("Tree/%1.txt").arg(i));

    QProcess process;
    if (closedPipe) {
        process.setChildProcessModifier([] {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
            }
        });
    }
    startCli(process, options << QStringLiteral("Tree"));
    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.startsWith("tallywick-cli: ") && err.endsWith(reason) && err.count('\n') == 1,
             err.constData());
#endif
}

// A directory the user cannot open and read is not listed, so the walk never
// stumbles on it.
void TestCli::unreadableDirectoryIsLeftOut()
{
#ifdef Q_OS_WIN
    QSKIP("the test locks the folder with POSIX permissions");
#else
    makeFile(QStringLiteral("Tree/open/a.txt"));
    makeFile(QStringLiteral("Tree/locked/b.txt"));
    QVERIFY(QFile::setPermissions(path(QStringLiteral("Tree/locked")), {}));

    QStringList command{QStringLiteral(TALLYWICK_CLI), QStringLiteral("-q"),
                        path(QStringLiteral("Tree"))};
    if (!runAsOrdinaryUser(command))
        QSKIP("needs setpriv to run as an ordinary user");
    QProcess process;
    process.start(command.takeFirst(), command);
    QVERIFY(process.waitForFinished(WaitMs));
    QFile::setPermissions(path(QStringLiteral("Tree/locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), expected("a.txt                  1Kb @/tree/open\n"));
#endif
}

void TestCli::messages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file"); // made first, unless empty
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("err"); // "@": the folder; "*": any run of characters

    const QString controls = QStringLiteral("Missing\x1b[31m\a\n\u009b\x7f");
    QTest::newRow("control characters in an error")
        << QStringList{controls} << QString() << QByteArray() << 2
        << QByteArray("tallywick-cli: Path not found: @/Missing?[31m???? "
                      "(No such file or directory)\n");
    const QString level = QStringLiteral("abcdefghijklmnopqrstuvwxyz/");
    QTest::newRow("an error about a path of 12 KB")
        << QStringList{QStringLiteral("Missing/") + level.repeated(450)} << QString()
        << QByteArray() << 2
        << "tallywick-cli: *: @/Missing/" + level.toUtf8() + "*...*/" + level.chopped(1).toUtf8() +
               " (*)\n";
    const QString game = QStringLiteral("Game\x1b]0;title\a");
    const QByteArray question = "@/Game?]0;title?\n" + Question + " [y/n] ";
    QTest::newRow("control characters in a question and an answer")
        << QStringList{QStringLiteral("--install-answer=ask"), QStringLiteral("-oreport.txt"), game}
        << game + QStringLiteral("/game.exe") << QByteArray("\x1b[2J\nn\n") << 0
        << question + "?[2J\n" + question + "n\n";
}

// What reaches the terminal has no control character but the line ends, and
// no line longer than the name, a 400-character message and its line end.
void TestCli::messages()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, err);
#ifdef Q_OS_WIN
    if (err.contains('?'))
        QSKIP("Windows names hold no control characters");
    err.replace('/', '\\');
#endif
    if (!file.isEmpty())
        makeFile(file);
    const Result result = runCli(arguments, input);
    QCOMPARE(result.exitCode, exitCode);
    QString pattern = QRegularExpression::escape(QString::fromUtf8(
        err.replace('@', QFile::encodeName(QDir::toNativeSeparators(m_dir->path())))));
    pattern.replace(QLatin1String("\\*"), QLatin1String(".*"));
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
    QVERIFY2(whole.match(QString::fromUtf8(result.err)).hasMatch(), result.err.constData());
    QCOMPARE(result.err.count('\n'), err.count('\n'));
    for (const QByteArray &line : result.err.split('\n'))
        QVERIFY2(line.size() <= 15 + 400, line.constData());
}

void TestCli::closedStandardStreams_data()
{
    QTest::addColumn<QList<int>>("closed");
    QTest::newRow("input and error") << QList<int>{0, 2};
    QTest::newRow("all three") << QList<int>{0, 1, 2};
}

// A closed standard stream reads and writes nothing: the report never takes
// its place, so the question never lands in the report.
void TestCli::closedStandardStreams()
{
#ifdef Q_OS_WIN
    QSKIP("a program started by QProcess on Windows cannot be given closed streams");
#else
    QFETCH(QList<int>, closed);
    makeFile(QStringLiteral("Game/Game.exe"));
    makeFile(QStringLiteral("Game/data.dat"));

    QProcess process;
    process.setChildProcessModifier([closed] {
        for (const int fd : closed)
            ::close(fd);
    });
    startCli(process, {QStringLiteral("--install-answer=ask"), QStringLiteral("-oreport.txt"),
                       QStringLiteral("Game")});
    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(readFile(QStringLiteral("report.txt")),
             expected("data.dat               1Kb @/game\n"
                      "game.exe               1Kb @/game\n"));
#endif
}

// The progress line as a terminal of 60 columns shows it, with wide (CJK)
// names, combining marks and control characters. A third of the directories
// ask the install question, answered No by the command line without a word.
void TestCli::progressLine()
{
#ifdef Q_OS_WIN
    QSKIP("needs a pseudo-terminal");
#else
    constexpr int Width = 60;
    for (int i = 0; i < 120; ++i) {
        const QString folder =
            QStringLiteral("Tree/目录一二三四五六七八九十\x1b[7m\u009b/%1 e\u0301te\u0301 文件夹")
                .arg(i, 3, 10, QLatin1Char('0'));
        for (int j = 0; j < 20; ++j)
            makeFile(folder + QStringLiteral("/file %1.txt").arg(j));
        if (i % 3 == 0)
            makeFile(folder + QStringLiteral("/game.exe"));
    }

    winsize size = {};
    size.ws_col = Width;
    int terminal = -1, terminalSide = -1;
    QCOMPARE(::openpty(&terminal, &terminalSide, nullptr, nullptr, &size), 0);
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    QProcess process;
    process.setChildProcessModifier([terminalSide] { ::dup2(terminalSide, STDERR_FILENO); });
    startCli(process, {QStringLiteral("--install-answer=no"), QStringLiteral("Tree")});
    ::close(terminalSide);
    // The report is read only after each pause: meanwhile the walk waits on
    // the full pipe, and when it goes on a new progress line is due.
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
    int column = 0;
    int draws = 0, clears = 0;
    auto isBlank = [&line] { return line.count(U' ') == Width; };
    QVERIFY2(drawn.startsWith('\r'), drawn.constData());
    for (const char32_t c : QString::fromUtf8(drawn).toUcs4()) {
        if (c == U'\r') {
            // Nothing is left past what was written since the last return.
            for (int k = column; k < Width; ++k)
                QVERIFY2(line.at(k) == U' ', drawn.constData());
            if (column > 0 && isBlank())
                ++clears;
            else if (column > 0)
                ++draws;
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

// As root every directory can be read and searched: `command` is then made
// to run as the unprivileged user "nobody", who may enter the temporary
// folder. False when that cannot be done.
bool TestCli::runAsOrdinaryUser(QStringList &command)
{
#ifdef Q_OS_WIN
    Q_UNUSED(command);
    return true;
#else
    if (geteuid() != 0)
        return true;
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() ||
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) != 0)
        return false;
    command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                          QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")} +
              command;
    return true;
#endif
}

// With the address space cut down until a large directory's listing no
// longer fits, the run says so and ends as failed, its report incomplete;
// it never aborts.
void TestCli::outOfMemory()
{
#ifdef Q_OS_WIN
    QSKIP("Windows cannot limit the address space of one program");
#else
    // Memory-backed where there is such a folder: many files are made faster there.
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir big(shm ? QStringLiteral("/dev/shm/tst_cli-XXXXXX")
                          : path(QStringLiteral("Big")));
    const QString longName = QString(200, u'n');
    for (int i = 0; i < 40000; ++i)
        QVERIFY(QFile(big.filePath(QString::number(i) + longName)).open(QIODevice::WriteOnly));

    const auto runWithin = [&](rlim_t kilobytes) {
        QProcess process;
        process.setChildProcessModifier([kilobytes] {
            const rlimit limit = {kilobytes * 1024, kilobytes * 1024};
            setrlimit(RLIMIT_AS, &limit);
        });
        startCli(process,
                 {QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("r.txt"), big.path()});
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
        if (result.exitCode == 0) {
            works = middle;
        } else {
            fails = middle;
            failed = result;
        }
    }
    if (failed.exitCode != 1)
        QSKIP("the program cannot even start with a little less memory than the run needs");
    QVERIFY(failed.err.contains("Out of memory, you've filled the list box."));
#endif
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
