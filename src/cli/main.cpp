// tallywick-cli: catalogues a directory tree from the command line.

#include "arguments.h"
#include "catalogue.h"
#include "interrupt.h"
#include "options.h"
#include "terminal.h"

#include <cstdio>

namespace {

int printToStandardOutput(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    if (std::fflush(stdout) != 0) {
        Terminal::showError(QStringLiteral("cannot write to standard output"));
        return ExitStatus::Failure;
    }
    return ExitStatus::Success;
}

int usageError(const QString &message)
{
    Terminal::showError(message);
    Terminal::writeError(QStringLiteral("Try 'tallywick-cli --help'.\n"));
    return ExitStatus::Usage;
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine commandLine = parseCommandLine(commandLineArguments(argc, argv));
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
        return printToStandardOutput(helpText());
    case CommandLine::Action::ShowVersion:
        return printToStandardOutput(QStringLiteral("tallywick-cli " TALLYWICK_VERSION "\n"));
    case CommandLine::Action::UsageError:
        return usageError(commandLine.error);
    case CommandLine::Action::Run:
        break;
    }
    Interrupt::install();
    return runCatalogue(commandLine.options);
}
