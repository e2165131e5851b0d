// SPDX-License-Identifier: GPL-3.0-or-later
// tallywick-cli: catalogues a directory tree from the command line.

#include "arguments.h"
#include "cataloguerun.h"
#include "interrupt.h"
#include "options.h"
#include "terminal.h"

#include <cstdio>
#include <new>

namespace {

// The version, the copyright and the licence, as GNU programs give them.
QString versionText()
{
    return QStringLiteral(
        "tallywick-cli " TALLYWICK_VERSION "\n"
        "Copyright (C) 2026 The Tallywick developers\n"
        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n");
}

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

// The walk handles running out of memory in a directory as it should; this
// is for the steps around it (the report's buffer, the first listing). The
// report keeps what was written. The message is written without allocating.
int runCatalogueWithinMemory(const Options &options)
{
    try {
        return runCatalogue(options);
    } catch (const std::bad_alloc &) {
        std::fputs("tallywick-cli: Out of memory, you've filled the list box.\n", stderr);
        return ExitStatus::Failure;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file, so that no file takes a closed stream's
    // place. Without a null device there is no safe way on.
    if (!Terminal::fillClosedStandardStreams())
        return ExitStatus::Usage;

    const CommandLine commandLine = parseCommandLine(commandLineArguments(argc, argv));
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
        return printToStandardOutput(helpText());
    case CommandLine::Action::ShowVersion:
        return printToStandardOutput(versionText());
    case CommandLine::Action::UsageError:
        return usageError(commandLine.error);
    case CommandLine::Action::Run:
        break;
    }
    Interrupt::install();
    const int status = runCatalogueWithinMemory(commandLine.options);
    Interrupt::endByPendingSignal();
    return status;
}
