// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "wine.h"

using namespace Qt::StringLiterals;

// "  Example 4b, the report:" -> example "4b" of tree "4", its "report" block.
const QRegularExpression
    Heading(u"^  Example (\\d+)([a-z]?), the (tree|command|report|standard error)"_s);

// A file of a tree block: its name, then its size in bytes (with commas).
const QRegularExpression FileLine(u"^(.*\\S)\\s+([0-9,]+)$"_s);

struct Example
{
    QStringList tree; // first line: the folder catalogued; then files and folders below it
    QString command;
    QStringList report;
    QStringList errors; // on the standard error: none unless shown
};

Q_DECLARE_METATYPE(Example)

// Runs tallywick-cli (60 s only against a hang).
static QByteArray runCli(const QStringList &arguments, QProcess &cli)
{
    cli.start(QStringLiteral(TALLYWICK_CLI), arguments);
    cli.closeWriteChannel();
    return cli.waitForFinished(60000) ? cli.readAllStandardOutput() : QByteArray();
}

// The manual as this system's users have it, or a document beside its source.
const QString Manual = u"MANUAL.TXT"_s;

static QString docText(const QString &name)
{
    QFile file(name == Manual ? QStringLiteral(TALLYWICK_MANUAL)
                              : QStringLiteral(TALLYWICK_DOC_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A path of the manual ("/home/ann/cd07", "C:\\Users\\ann\\cd07") made again
// below the folder `dir`, which then stands for its drive ("C:").
struct PathInFolder
{
    PathInFolder(const QTemporaryDir &dir, const QString &manualPath)
        : drive(QRegularExpression(u"^[A-Za-z]:"_s).match(manualPath).captured()),
          path(dir.path() + QDir::fromNativeSeparators(manualPath.mid(drive.size()))),
          folder(QDir::toNativeSeparators(dir.path()))
    {}
    // `text` as the manual shows it: the folder's path (in lower case, as a
    // report has it, or as it is) written as the drive.
    QString shown(QString text, Qt::CaseSensitivity lowerCased = Qt::CaseSensitive) const
    {
        return lowerCased == Qt::CaseInsensitive ? text.replace(folder.toLower(), drive.toLower())
                                                 : text.replace(folder, drive);
    }
    QString drive, path, folder;
};

// The examples by name ("1", "4a"); each takes the tree of its number.
static QMap<QString, Example> manualExamples()
{
    const QStringList lines = docText(Manual).split(u'\n');
    QMap<QString, QStringList> trees;
    QMap<QString, Example> examples;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch heading = Heading.match(lines.at(i));
        if (!heading.hasMatch())
            continue;
        QStringList block; // the lines after the heading and a blank line indented by six spaces
        for (qsizetype j = i + 2; j < lines.size() && lines.at(j).startsWith("      "_L1); ++j)
            block.append(lines.at(j).mid(6));
        const QString part = heading.captured(3), key = heading.captured(1) + heading.captured(2);
        if (part == "tree"_L1)
            trees.insert(heading.captured(1), block);
        else
            examples[key].tree = trees.value(heading.captured(1));
        if (part == "command"_L1)
            examples[key].command = block.value(0);
        if (part == "report"_L1)
            examples[key].report = block;
        if (part == "standard error"_L1)
            examples[key].errors = block;
    }
    return examples;
}

// A name as the shell writes it, $'two\nlines.txt', unquoted.
static QString unquotedName(QString name)
{
    if (!name.startsWith("$'"_L1) || !name.endsWith(u'\''))
        return name;
    name = name.mid(2, name.size() - 3);
    for (qsizetype i = 0; i + 1 < name.size(); ++i) {
        const QChar c = name.at(i + 1);
        if (name.at(i) == u'\\')
            name.replace(i, 2, c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c);
    }
    return name;
}

// Each example's tree of the manual is made again in a temporary folder; the
// report of tallywick-cli on it, the folder's path taken out, is the manual's.
class TestManual : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("LC_ALL", "C.UTF-8"); } // the manual's language settings
    void example_data()
    {
        QTest::addColumn<Example>("example");
        const QMap<QString, Example> examples = manualExamples();
        for (auto it = examples.cbegin(); it != examples.cend(); ++it)
            QTest::newRow(qPrintable(u"example "_s + it.key())) << it.value();
    }

    void example()
    {
        QFETCH(Example, example);
        QVERIFY2(manualExamples().size() >= 5, "the manual's examples were not found");
        QVERIFY(example.tree.size() >= 2 && !example.report.isEmpty());
        QVERIFY(example.command.startsWith("tallywick-cli "_L1) &&
                example.command.endsWith(u' ' + example.tree.constFirst().chopped(1)));
        QTemporaryDir dir(QDir::tempPath() + u"/tst_manual-XXXXXX"_s);
        QVERIFY(dir.isValid());
        const PathInFolder root(dir, example.tree.constFirst().chopped(1));
        QVERIFY(QDir().mkpath(root.path));
        for (const QString &entry : example.tree.mid(1)) {
            const QRegularExpressionMatch file = FileLine.match(entry);
            const QString path = root.path + u'/' +
                                 QDir::fromNativeSeparators(
                                     unquotedName(file.hasMatch() ? file.captured(1) : entry));
            QVERIFY2(file.hasMatch() || path.endsWith(u'/'), qPrintable(entry));
            QVERIFY(QDir().mkpath(file.hasMatch() ? QFileInfo(path).path() : path));
            if (!file.hasMatch())
                continue;
            QFile made(path);
            QVERIFY2(made.open(QIODevice::WriteOnly), qPrintable(path));
            QVERIFY(made.resize(file.captured(2).remove(u',').toLongLong())); // sparse: 12 GB fit
        }
        QStringList arguments = example.command.split(u' ', Qt::SkipEmptyParts).mid(1);
        arguments.last() = QDir::toNativeSeparators(root.path);
        QProcess cli;
        const QString report = QString::fromUtf8(runCli(arguments, cli));
        const QString errors = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(root.shown(report, Qt::CaseInsensitive),
                 example.report.join("\r\n"_L1) + "\r\n"_L1);
        QCOMPARE(root.shown(errors),
                 example.errors.isEmpty() ? QString() : example.errors.join(u'\n') + u'\n');
    }

    void documentsHelp_data()
    {
        QTest::addColumn<QString>("document");
        QTest::newRow("MANUAL.TXT") << Manual;
#ifndef Q_OS_WIN // no man pages there
        QTest::newRow("tallywick-cli.1.in") << u"tallywick-cli.1.in"_s;
#endif
    }

    // The options that `tallywick-cli --help` lists, and its exit statuses (the
    // numbers beginning its lines under "Exit status:" and those its text names:
    // 130 ...), each in the document, the statuses in its list of exit statuses.
    void documentsHelp()
    {
        QFETCH(QString, document);
        // A man page writes the hyphens of an option "\-", often after a font change "\fB".
        const QString text = docText(document)
                                 .replace("\\-"_L1, "-"_L1)
                                 .remove(QRegularExpression(u"\\\\f[BIRP]"_s));
        QVERIFY2(!text.isEmpty(), qPrintable(document));
        QProcess cli;
        const QString helpText = QString::fromUtf8(runCli({u"--help"_s}, cli));
        QStringList options;
        const QRegularExpression optionPattern(u"(?:^|[\\s,])(--?[a-z][a-z-]*)"_s);
        for (const QString &line : helpText.split(u'\n'))
            if (line.startsWith("  "_L1))
                for (const auto &match :
                     optionPattern.globalMatch(line.trimmed().section("  "_L1, 0, 0)))
                    options.append(match.captured(1));
        QVERIFY(options.contains("--output"_L1));
        for (const QString &option : options) {
            const QRegularExpression mention(u"(?<![\\w-])"_s + QRegularExpression::escape(option) +
                                             u"(?![\\w-])"_s);
            QVERIFY2(text.contains(mention), qPrintable(document + ": "_L1 + option));
        }
        const qsizetype heading = text.indexOf("exit status"_L1, 0, Qt::CaseInsensitive);
        QVERIFY2(heading >= 0, qPrintable(document));
        QStringList statuses;
        const QRegularExpression number(u"(?:^  |\\s)(\\d+)(?=[\\s,)])"_s,
                                        QRegularExpression::MultilineOption);
        for (const auto &match :
             number.globalMatch(helpText.mid(helpText.indexOf("Exit status:"_L1))))
            statuses.append(match.captured(1));
        QCOMPARE(statuses.mid(0, 3), (QStringList{u"0"_s, u"1"_s, u"2"_s}));
        QVERIFY2(statuses.size() > 3, "no status of a signal in --help");
        for (const QString &status : statuses) {
            const QRegularExpression mention(u"(?<![\\w,.])"_s + status + u"(?!\\w)"_s);
            QVERIFY2(text.mid(heading, 1200).contains(mention),
                     qPrintable(document + ": "_L1 + status));
        }
        // The messages the manual quotes, made again (its path in a temporary folder).
        QTemporaryDir dir(QDir::tempPath() + u"/tst_manual-XXXXXX"_s);
        const PathInFolder missing(
            dir, QRegularExpression(u"\n    tallywick-cli: Path not found: (\\S+)"_s)
                     .match(text)
                     .captured(1));
        for (const QString &directory : {QString(), QDir::toNativeSeparators(missing.path)}) {
            if (document != Manual)
                break;
            QProcess failing;
            runCli(directory.isEmpty() ? QStringList() : QStringList{directory}, failing);
            QCOMPARE(failing.exitCode(), 2);
            QString message = missing.shown(
                QString::fromUtf8(failing.readAllStandardError()).section(u'\n', 0, 0));
            // Wine words the system's reasons its own way, not as Windows does.
            if (runsUnderWine())
                message = message.section(u" ("_s, 0, 0);
            else
                message += u'\n';
            QVERIFY2(text.contains(u"\n    "_s + message), qPrintable(message));
        }
    }
};

QTEST_GUILESS_MAIN(TestManual)
#include "tst_manual.moc"
