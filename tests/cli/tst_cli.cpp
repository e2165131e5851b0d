#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

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
    void interruptAtQuestion();
    void vanishedFileEndsRun();
    void writeFailure_data();
    void writeFailure();
    void unreadableDirectoryIsLeftOut();

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
    process.start(QStringLiteral(TALLYWICK_CLI), arguments);
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
    QTest::newRow("missing") << QStringLiteral("Missing");
    QTest::newRow("a file") << QStringLiteral("report.txt");
}

void TestCli::badDirectoryLeavesReportAlone()
{
    QFETCH(QString, directory);
    writeFile(QStringLiteral("report.txt"), "old line\r\n");
    const Result result = runCli({QStringLiteral("-o"), QStringLiteral("report.txt"), directory});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.startsWith("tallywick-cli: "));
    QVERIFY(result.err.contains(QFile::encodeName(path(directory))));
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

// The question counts as answered No; the walk then stops at the next
// directory, so the top folder writes nothing.
void TestCli::interruptAtQuestion()
{
    makeQuestionTree();
    QProcess process;
    startCli(process, {QStringLiteral("--install-answer=ask"), QStringLiteral("-o"),
                       QStringLiteral("report.txt"), QStringLiteral("Tree")});
    QVERIFY(waitForQuestion(process).contains(Question));
#ifdef Q_OS_WIN
    QSKIP("Windows sends Ctrl-C to every program of a console, not to one");
#else
    ::kill(pid_t(process.processId()), SIGINT);
#endif

    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(readFile(QStringLiteral("report.txt")),
             expected("b.txt                  1Kb @/tree/beta\n"
                      "data.dat               1Kb @/tree/alpha\n"
                      "doomed.txt             1Kb @/tree/alpha\n"
                      "game.exe               1Kb @/tree/alpha\n"));
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
    QFETCH(QStringList, options);
    QFETCH(bool, closedPipe);
    QFETCH(QByteArray, reason);
    if (!closedPipe && !QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full");
    for (int i = 0; i < 1500; ++i)
        makeFile(QStringLiteral("Tree/%1.txt").arg(i));

    QProcess process;
    if (closedPipe) {
#ifdef Q_OS_WIN
        QSKIP("Windows programs cannot be started with a closed pipe for output");
#else
        process.setChildProcessModifier([] {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
            }
        });
#endif
    }
    startCli(process, options << QStringLiteral("Tree"));
    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.startsWith("tallywick-cli: ") && err.endsWith(reason) && err.count('\n') == 1,
             err.constData());
}

// A directory the user cannot open and read is not listed, so the walk never
// stumbles on it. As root every directory can be read: the program then runs
// as the unprivileged user "nobody".
void TestCli::unreadableDirectoryIsLeftOut()
{
#ifdef Q_OS_WIN
    QSKIP("the test locks the folder with POSIX permissions");
#endif
    makeFile(QStringLiteral("Tree/open/a.txt"));
    makeFile(QStringLiteral("Tree/locked/b.txt"));
    QVERIFY(QFile::setPermissions(
        m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                           QFileDevice::ReadOther | QFileDevice::ExeOther));
    QVERIFY(QFile::setPermissions(path(QStringLiteral("Tree/locked")), {}));

    QStringList command{QStringLiteral(TALLYWICK_CLI), QStringLiteral("-q"),
                        path(QStringLiteral("Tree"))};
#ifndef Q_OS_WIN
    if (geteuid() == 0) {
        command = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups")} +
                  command;
        command.prepend(QStringLiteral("setpriv"));
    }
#endif
    QProcess process;
    process.start(command.takeFirst(), command);
    QVERIFY(process.waitForFinished(WaitMs));
    QFile::setPermissions(path(QStringLiteral("Tree/locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), expected("a.txt                  1Kb @/tree/open\n"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
