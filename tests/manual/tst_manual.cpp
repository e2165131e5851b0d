#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int WaitMs = 60000; // only against a hang: no test depends on timing

// A block of the manual: the lines after its heading and one blank line,
// each indented by six spaces, up to the next line that is not.
const QLatin1StringView BlockIndent("      ");

// "  Example 4b, the report:" -> example "4b" of tree "4", part "report".
const QRegularExpression
    Heading(QStringLiteral("^  Example (\\d+)([a-z]?), the (tree|command|report)"));

// A file of a tree block: its name, then its size in bytes (with commas).
const QRegularExpression FileLine(QStringLiteral("^(.*\\S)\\s+([0-9,]+)$"));

struct Example
{
    QStringList tree; // first line: the folder catalogued; then files and folders below it
    QString command;
    QStringList report;
};

} // namespace

Q_DECLARE_METATYPE(Example)

namespace {

// Runs tallywick-cli with the manual's language settings.
QByteArray runCli(const QStringList &arguments, QProcess &cli)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(TALLYWICK_CLI), arguments);
    cli.closeWriteChannel();
    if (!cli.waitForFinished(WaitMs))
        return QByteArray();
    return cli.readAllStandardOutput();
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString manualText()
{
    return readText(QStringLiteral(TALLYWICK_DOC_DIR "/MANUAL.TXT"));
}

QStringList blockAt(const QStringList &lines, qsizetype heading)
{
    QStringList block;
    for (qsizetype i = heading + 2; i < lines.size() && lines.at(i).startsWith(BlockIndent); ++i)
        block.append(lines.at(i).mid(BlockIndent.size()));
    return block;
}

// The examples by name ("1", "4a"); each takes the tree of its number.
QMap<QString, Example> manualExamples()
{
    const QStringList lines = manualText().split(u'\n');
    QMap<QString, QStringList> trees;
    QMap<QString, Example> examples;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch heading = Heading.match(lines.at(i));
        if (!heading.hasMatch())
            continue;
        const QString part = heading.captured(3);
        const QStringList block = blockAt(lines, i);
        if (part == QLatin1String("tree")) {
            trees.insert(heading.captured(1), block);
            continue;
        }
        Example &example = examples[heading.captured(1) + heading.captured(2)];
        example.tree = trees.value(heading.captured(1));
        if (part == QLatin1String("command"))
            example.command = block.value(0);
        else
            example.report = block;
    }
    return examples;
}

// A name written as the shell does, $'two\nlines.txt', stands for the
// name with its escapes turned into the characters.
QString unquotedName(const QString &name)
{
    if (!name.startsWith(QLatin1String("$'")) || !name.endsWith(u'\''))
        return name;
    QString result;
    const QString inner = name.mid(2, name.size() - 3);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner.at(i) != u'\\' || i + 1 == inner.size()) {
            result.append(inner.at(i));
            continue;
        }
        const QChar escaped = inner.at(++i);
        result.append(escaped == u'n' ? QChar(u'\n') : escaped == u't' ? QChar(u'\t') : escaped);
    }
    return result;
}

// The long and short options that `tallywick-cli --help` lists.
QStringList helpOptions()
{
    QProcess cli;
    const QString help = QString::fromUtf8(runCli({QStringLiteral("--help")}, cli));
    QStringList options;
    const QRegularExpression option(QStringLiteral("(?:^|[\\s,])(--?[a-z][a-z-]*)"));
    for (const QString &line : help.split(u'\n')) {
        if (!line.startsWith(QLatin1String("  ")))
            continue;
        const QString optionPart = line.trimmed().section(QLatin1String("  "), 0, 0);
        for (const QRegularExpressionMatch &match : option.globalMatch(optionPart))
            options.append(match.captured(1));
    }
    return options;
}

// The exit statuses that `tallywick-cli --help` lists: the numbers that
// begin its lines under "Exit status:", and those its text names (130 ...).
QStringList helpExitStatuses()
{
    QProcess cli;
    const QString help = QString::fromUtf8(runCli({QStringLiteral("--help")}, cli));
    const QString statuses = help.mid(help.indexOf(QLatin1String("Exit status:")));
    QStringList numbers;
    const QRegularExpression number(QStringLiteral("(?:^  |\\s)(\\d+)(?=[\\s,)])"),
                                    QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &match : number.globalMatch(statuses))
        numbers.append(match.captured(1));
    return numbers;
}

} // namespace

// The manual shows reports made by tallywick-cli on trees it describes.
// Each example's tree is made again in a temporary folder, tallywick-cli
// runs on it with the example's options, and its report, with the folder's
// path turned back into the manual's, must be the manual's report.
class TestManual : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyExampleIsComplete();
    void example_data();
    void example();
    void documentsEveryOption_data();
    void documentsEveryOption();
    void documentsEveryExitStatus_data() { documentsEveryOption_data(); }
    void documentsEveryExitStatus();
    void showsRealMessages_data();
    void showsRealMessages();
};

void TestManual::everyExampleIsComplete()
{
    const QMap<QString, Example> examples = manualExamples();
    QVERIFY2(examples.size() >= 5, "the manual's examples were not found");
    for (auto it = examples.cbegin(); it != examples.cend(); ++it) {
        const QByteArray name = it.key().toUtf8();
        QVERIFY2(it->tree.size() >= 2, name.constData());
        QVERIFY2(it->command.startsWith(QLatin1String("tallywick-cli ")), name.constData());
        QVERIFY2(it->command.endsWith(u' ' + it->tree.constFirst().chopped(1)), name.constData());
        QVERIFY2(!it->report.isEmpty(), name.constData());
    }
}

void TestManual::example_data()
{
    QTest::addColumn<Example>("example");
    const QMap<QString, Example> examples = manualExamples();
    for (auto it = examples.cbegin(); it != examples.cend(); ++it)
        QTest::newRow(qPrintable(QStringLiteral("example ") + it.key())) << it.value();
}

void TestManual::example()
{
    QFETCH(Example, example);

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tst_manual-XXXXXX"));
    QVERIFY(dir.isValid());
    const QString shownFolder = example.tree.constFirst().chopped(1);
    const QString folder = dir.path() + shownFolder;
    QVERIFY(QDir().mkpath(folder));
    for (const QString &entry : example.tree.mid(1)) {
        const QRegularExpressionMatch file = FileLine.match(entry);
        if (!file.hasMatch()) {
            QVERIFY2(entry.endsWith(u'/'), qPrintable(entry));
            QVERIFY(QDir().mkpath(folder + u'/' + entry));
            continue;
        }
        const QString path = folder + u'/' + unquotedName(file.captured(1));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile made(path);
#ifdef Q_OS_WIN
        if (!made.open(QIODevice::WriteOnly))
            QSKIP("the example holds names that Windows does not take");
#endif
        QVERIFY2(made.isOpen() || made.open(QIODevice::WriteOnly), qPrintable(path));
        // Sparse: a file of 12 GB takes no room.
        QVERIFY(made.resize(file.captured(2).remove(u',').toLongLong()));
    }

    QStringList arguments = example.command.split(u' ', Qt::SkipEmptyParts).mid(1);
    arguments.last() = folder;
    QProcess cli;
    QString report = QString::fromUtf8(runCli(arguments, cli));
    QCOMPARE(cli.readAllStandardError(), QByteArray());
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(report.endsWith(QLatin1String("\r\n")));
    report.chop(2);
    report.replace(QDir::toNativeSeparators(dir.path()).toLower(), QString());
#ifdef Q_OS_WIN
    report.replace(u'\\', u'/'); // the manual shows the paths of Linux
#endif
    QCOMPARE(report.split(QLatin1String("\r\n")), example.report);
}

void TestManual::documentsEveryOption_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    QTest::newRow("MANUAL.TXT") << QStringLiteral("MANUAL.TXT") << manualText();
    // A man page writes the hyphens of an option "\-", often after a font change "\fB".
    QTest::newRow("tallywick-cli.1.in")
        << QStringLiteral("tallywick-cli.1.in")
        << readText(QStringLiteral(TALLYWICK_DOC_DIR "/tallywick-cli.1.in"))
               .replace(QLatin1String("\\-"), QLatin1String("-"))
               .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
}

void TestManual::documentsEveryOption()
{
    QFETCH(QString, document);
    QFETCH(QString, text);
    QVERIFY2(!text.isEmpty(), qPrintable(document));
    const QStringList options = helpOptions();
    QVERIFY(options.contains(QLatin1String("--output")));
    for (const QString &option : options) {
        const QRegularExpression mention(QStringLiteral("(?<![\\w-])") +
                                         QRegularExpression::escape(option) +
                                         QStringLiteral("(?![\\w-])"));
        QVERIFY2(text.contains(mention), qPrintable(document + QLatin1String(": ") + option));
    }
}

// The statuses of --help, each in the document's own list of exit statuses.
void TestManual::documentsEveryExitStatus()
{
    QFETCH(QString, document);
    QFETCH(QString, text);
    const qsizetype heading = text.indexOf(QLatin1String("exit status"), 0, Qt::CaseInsensitive);
    QVERIFY2(heading >= 0, qPrintable(document));
    const QString section = text.mid(heading, 1200);
    const QStringList statuses = helpExitStatuses();
    QCOMPARE(statuses.mid(0, 3),
             (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
    QVERIFY2(statuses.size() > 3, "no status of a signal in --help");
    for (const QString &status : statuses) {
        const QRegularExpression mention(QStringLiteral("(?<![\\w,.])") + status +
                                         QStringLiteral("(?!\\w)"));
        QVERIFY2(section.contains(mention), qPrintable(document + QLatin1String(": ") + status));
    }
}

// The messages the manual quotes, made again: a folder given as the
// manual's path is looked for inside a temporary folder.
void TestManual::showsRealMessages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no directory") << QStringList();
    QTest::newRow("directory not found") << QStringList{QStringLiteral("/mnt/cdrom")};
}

void TestManual::showsRealMessages()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tst_manual-XXXXXX"));
    QVERIFY(dir.isValid());
    for (QString &argument : arguments)
        argument.prepend(dir.path());

    QProcess cli;
    runCli(arguments, cli);
    QCOMPARE(cli.exitCode(), 2);
    QString message = QString::fromUtf8(cli.readAllStandardError())
                          .section(u'\n', 0, 0)
                          .remove(QDir::toNativeSeparators(dir.path()));
#ifdef Q_OS_WIN
    message.replace(u'\\', u'/'); // the manual shows the paths of Linux
#endif
    QVERIFY2(manualText().contains(QStringLiteral("\n    ") + message + u'\n'),
             qPrintable(message));
}

QTEST_GUILESS_MAIN(TestManual)
#include "tst_manual.moc"
