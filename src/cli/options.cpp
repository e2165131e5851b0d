// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

namespace {

using FlagAction = void (*)(CommandLine &);

// More threads than this only wait for the disk and for each other.
constexpr int MaximumThreads = 64;

// The options that take no value.
struct Flag
{
    char letter; // 0: no short form
    const char *name;
    FlagAction apply;
};

const Flag Flags[] = {
    {'a', "--append", [](CommandLine &c) { c.options.append = true; }},
    {'q', "--quiet", [](CommandLine &c) { c.options.quiet = true; }},
    {0, "--no-graphic", [](CommandLine &c) { c.options.switches.graphic = false; }},
    {0, "--no-music", [](CommandLine &c) { c.options.switches.music = false; }},
    {0, "--no-video", [](CommandLine &c) { c.options.switches.video = false; }},
    {0, "--no-install", [](CommandLine &c) { c.options.switches.install = false; }},
    {'h', "--help", [](CommandLine &c) { c.action = CommandLine::Action::ShowHelp; }},
    {0, "--version", [](CommandLine &c) { c.action = CommandLine::Action::ShowVersion; }},
};

const Flag *findFlag(const QByteArray &name)
{
    for (const Flag &flag : Flags) {
        if (name == flag.name)
            return &flag;
    }
    return nullptr;
}

const Flag *findFlag(char letter)
{
    for (const Flag &flag : Flags) {
        if (letter != 0 && letter == flag.letter)
            return &flag;
    }
    return nullptr;
}

QString quoted(const QByteArray &text)
{
    return QLatin1Char('\'') + QString::fromLocal8Bit(text) + QLatin1Char('\'');
}

// Walks the arguments one at a time; an option's value is either attached
// ("--output=FILE", "-oFILE") or the next argument. --help and --version
// stop the walk where they stand, as does the first usage error.
class Parser
{
public:
    explicit Parser(const QByteArrayList &arguments) : m_arguments(arguments) {}

    CommandLine parse();

private:
    bool finished() const { return m_result.action != CommandLine::Action::Run; }
    void parseArgument(const QByteArray &argument);
    void parseLongOption(const QByteArray &argument);
    void parseShortOptions(const QByteArray &argument);
    void apply(const Flag &flag) { flag.apply(m_result); }
    bool takeValue(const QByteArray &attached, bool hasAttached, const QByteArray &name,
                   QByteArray &value);
    void setInstallAnswer(const QByteArray &value);
    void setThreads(const QByteArray &value);
    void setFormat(const QByteArray &value);
    void setOutput(const QByteArray &value);
    void addDirectory(const QByteArray &argument);
    void checkComplete();
    void fail(const QString &message);

    const QByteArrayList &m_arguments;
    qsizetype m_next = 0;
    bool m_optionsEnded = false;
    int m_directories = 0;
    CommandLine m_result;
};

CommandLine Parser::parse()
{
    while (m_next < m_arguments.size() && !finished())
        parseArgument(m_arguments.at(m_next++));
    if (!finished())
        checkComplete();
    return m_result;
}

void Parser::parseArgument(const QByteArray &argument)
{
#ifdef Q_OS_WIN
    // As every Windows program shows its help.
    if (!m_optionsEnded && argument == "/?") {
        m_result.action = CommandLine::Action::ShowHelp;
        return;
    }
#endif
    if (m_optionsEnded || argument == "-" || !argument.startsWith('-'))
        addDirectory(argument);
    else if (argument == "--")
        m_optionsEnded = true;
    else if (argument.startsWith("--"))
        parseLongOption(argument);
    else
        parseShortOptions(argument);
}

void Parser::parseLongOption(const QByteArray &argument)
{
    const qsizetype equals = argument.indexOf('=');
    const bool hasValue = equals >= 0;
    const QByteArray name = hasValue ? argument.left(equals) : argument;
    const QByteArray attached = hasValue ? argument.mid(equals + 1) : QByteArray();

    QByteArray value;
    if (name == "--output") {
        if (takeValue(attached, hasValue, name, value))
            setOutput(value);
    } else if (name == "--threads") {
        if (takeValue(attached, hasValue, name, value))
            setThreads(value);
    } else if (name == "--install-answer") {
        if (takeValue(attached, hasValue, name, value))
            setInstallAnswer(value);
    } else if (name == "--format") {
        if (takeValue(attached, hasValue, name, value))
            setFormat(value);
    } else if (const Flag *flag = findFlag(name)) {
        if (hasValue)
            fail(QStringLiteral("option %1 takes no value").arg(quoted(name)));
        else
            apply(*flag);
    } else {
        fail(QStringLiteral("unknown option %1").arg(quoted(name)));
    }
}

// "-aq", "-qo FILE" and "-oFILE": flags may be grouped, and -o and -j take
// the rest of the group or the next argument as their value.
void Parser::parseShortOptions(const QByteArray &argument)
{
    for (qsizetype i = 1; i < argument.size() && !finished(); ++i) {
        const char letter = argument.at(i);
        if (letter == 'o' || letter == 'j') {
            const QByteArray rest = argument.mid(i + 1);
            QByteArray value;
            if (!takeValue(rest, !rest.isEmpty(), QByteArray("-") + letter, value))
                return;
            if (letter == 'o')
                setOutput(value);
            else
                setThreads(value);
            return;
        }
        if (const Flag *flag = findFlag(letter))
            apply(*flag);
        else
            fail(QStringLiteral("unknown option %1").arg(quoted(QByteArray("-") + letter)));
    }
}

bool Parser::takeValue(const QByteArray &attached, bool hasAttached, const QByteArray &name,
                       QByteArray &value)
{
    if (hasAttached) {
        value = attached;
        return true;
    }
    if (m_next >= m_arguments.size()) {
        fail(QStringLiteral("option %1 needs a value").arg(quoted(name)));
        return false;
    }
    value = m_arguments.at(m_next++);
    return true;
}

void Parser::setInstallAnswer(const QByteArray &value)
{
    if (value == "yes")
        m_result.options.installAnswer = InstallAnswer::Yes;
    else if (value == "no")
        m_result.options.installAnswer = InstallAnswer::No;
    else if (value == "ask")
        m_result.options.installAnswer = InstallAnswer::Ask;
    else
        fail(QStringLiteral("--install-answer takes yes, no or ask, not %1").arg(quoted(value)));
}

void Parser::setFormat(const QByteArray &value)
{
    if (value == "report")
        m_result.options.format.reset();
    else if (value == "csv")
        m_result.options.format = ExportFormat::Csv;
    else if (value == "jsonl")
        m_result.options.format = ExportFormat::JsonLines;
    else
        fail(QStringLiteral("--format takes report, csv or jsonl, not %1").arg(quoted(value)));
}

// "-" stands for standard output, as for most tools.
void Parser::setOutput(const QByteArray &value)
{
    if (value.isEmpty())
        fail(QStringLiteral("the report file name is empty"));
    else if (value == "-")
        m_result.options.outputFile.reset();
    else
        m_result.options.outputFile = value;
}

void Parser::setThreads(const QByteArray &value)
{
    bool isNumber = false;
    const int threads = value.toInt(&isNumber);
    if (!isNumber || threads < 1 || threads > MaximumThreads)
        fail(QStringLiteral("--threads takes a number from 1 to %1, not %2")
                 .arg(MaximumThreads)
                 .arg(quoted(value)));
    else
        m_result.options.threads = threads;
}

void Parser::addDirectory(const QByteArray &argument)
{
    if (++m_directories > 1)
        fail(QStringLiteral("unexpected argument %1").arg(quoted(argument)));
    else if (argument.isEmpty())
        fail(QStringLiteral("the directory name is empty"));
    else
        m_result.options.directory = argument;
}

void Parser::checkComplete()
{
    if (m_directories == 0)
        fail(QStringLiteral("missing DIRECTORY"));
    else if (m_result.options.append && !m_result.options.outputFile)
        fail(QStringLiteral("--append needs --output"));
}

void Parser::fail(const QString &message)
{
    m_result.error = message;
    m_result.action = CommandLine::Action::UsageError;
}

} // namespace

CommandLine parseCommandLine(const QByteArrayList &arguments)
{
    return Parser(arguments).parse();
}

namespace {

// The lines of the help that differ by system: how a run is asked and told
// to stop, and how help is asked for.
struct SystemHelp
{
    const char *askLines;
    const char *helpLine;
    const char *stopLines;
};

#ifdef Q_OS_WIN
constexpr SystemHelp ThisSystemHelp = {
    "                           ask = ask in the console; default: ask when\n"
    "                           standard input is the console, otherwise no\n",
    "  -h, --help, /?           show this help and exit\n",
    "Stopped by Ctrl-C or Ctrl-Break in the console, tallywick-cli closes the\n"
    "report with every line written, then ends with status 130 (Ctrl-C) or\n"
    "149 (Ctrl-Break). When the program reading the report stops before its\n"
    "end, it ends quietly with status 141.\n"};
#else
constexpr SystemHelp ThisSystemHelp = {
    "                           ask = ask on the terminal; default: ask when\n"
    "                           standard input is a terminal, otherwise no\n",
    "  -h, --help               show this help and exit\n",
    "Stopped by Ctrl-C (SIGINT), SIGTERM or SIGHUP, tallywick-cli closes the\n"
    "report with every line written, then ends by that signal: a shell shows\n"
    "status 130, 143 or 129 (128 + the signal's number). When the reader of a\n"
    "pipe the report goes to has gone, it ends quietly by SIGPIPE: status 141.\n"};
#endif

} // namespace

QString helpText()
{
    return QStringLiteral(
               "Usage: tallywick-cli [OPTIONS] DIRECTORY\n"
               "Writes a plain-text catalogue of DIRECTORY and everything below it: one line\n"
               "per file, or one summary line for a directory of pictures, music, video or\n"
               "one installable package.\n"
               "\n"
               "  -o, --output FILE        write the report to FILE (created or emptied);\n"
               "                           default, and with FILE -: standard output\n"
               "  -a, --append             with --output: append to FILE instead of emptying it\n"
               "      --no-graphic         list picture directories file by file\n"
               "      --no-music           list music directories file by file\n"
               "      --no-video           list video directories file by file\n"
               "      --no-install         list install directories file by file\n"
               "      --install-answer yes|no|ask\n"
               "                           answer to \"ONLY one software on this directory?\";\n") +
           QLatin1String(ThisSystemHelp.askLines) +
           QStringLiteral(
               "      --format FORMAT      report (the default), or for machines: csv or\n"
               "                           jsonl, one record per file with its full name,\n"
               "                           size in bytes, modification time and summary\n"
               "  -j, --threads N          read the disk with up to N threads (1 to 64):\n"
               "                           4 at first, more while reads wait on the disk;\n"
               "                           1 reads one directory at a time; default: 8\n"
               "                           (12 on a network share)\n"
               "  -q, --quiet              no progress on standard error\n") +
           QLatin1String(ThisSystemHelp.helpLine) +
           QStringLiteral(
               "      --version            show the version and exit\n"
               "\n"
               "Exit status:\n"
               "  0  the catalogue is complete\n"
               "  1  the walk stopped on an error, or the report is incomplete because a\n"
               "     directory could not be read (for lack of memory, or access); the\n"
               "     report keeps every line written\n"
               "  2  bad usage, or a directory or report file that cannot be opened;\n"
               "     nothing written\n") +
           QLatin1String(ThisSystemHelp.stopLines);
}
