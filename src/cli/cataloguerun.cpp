// SPDX-License-Identifier: GPL-3.0-or-later
#include "cataloguerun.h"

#include "catalogue.h"
#include "interrupt.h"
#include "options.h"
#include "paths.h"
#include "pathsyntax.h"
#include "runtimeerror.h"
#include "systemvolumes.h"
#include "terminal.h"
#include "terminalfrontend.h"

#include <QDateTime>

#include <new>

namespace {

InstallAnswer installAnswerFor(const Options &options)
{
    const bool canAsk = Terminal::isTerminal(Terminal::StandardInput);
    return options.installAnswer.value_or(canAsk ? InstallAnswer::Ask : InstallAnswer::No);
}

QString installAnswerName(InstallAnswer answer)
{
    switch (answer) {
    case InstallAnswer::Yes:
        return QStringLiteral("yes");
    case InstallAnswer::No:
        return QStringLiteral("no");
    case InstallAnswer::Ask:
        break;
    }
    return QStringLiteral("ask");
}

// The label of the volume `path` lies on, as the drive list shows it: that
// of the deepest mount point holding it. Empty when it has none.
QString volumeLabelOf(const QByteArray &path)
{
    QString label;
    qsizetype deepest = -1;
    for (const DriveEntry &volume : systemVolumes()) {
        const QByteArray &top = volume.mountPoint;
        if (isSameOrBelow(top, path) && top.size() > deepest) {
            deepest = top.size();
            label = volume.label;
        }
    }
    return label;
}

// A progress line would only get in the way of a report shown on the same
// terminal, and means nothing where standard error is not a terminal.
bool wantsProgress(const Options &options)
{
    const bool reportOnTerminal =
        !options.outputFile &&
        Terminal::sameTerminal(Terminal::StandardOutput, Terminal::StandardError);
    return !options.quiet && Terminal::isTerminal(Terminal::StandardError) && !reportOnTerminal;
}

class CatalogueRun
{
public:
    explicit CatalogueRun(const Options &options);

    int exec();

private:
    bool openDirectory();
    bool openReport();
    bool walk();
    bool closeReport();
    void startExport();

    const Options &m_options;
    QByteArray m_directory;
    TerminalFrontEnd m_frontEnd;
    Catalogue m_catalogue;
};

CatalogueRun::CatalogueRun(const Options &options)
    : m_options(options),
      m_frontEnd(installAnswerFor(options), wantsProgress(options), m_catalogue),
      m_catalogue(m_frontEnd)
{
    m_catalogue.scan.setSwitches(options.switches);
    m_catalogue.cursor.cache.setThreads(options.threads);
}

// A stop signal before the report is open ends the run without opening it,
// whatever step it interrupted.
int CatalogueRun::exec()
{
    if (!openDirectory() || !openReport()) {
        if (const int signal = Interrupt::pendingSignal())
            return ExitStatus::SignalBase + signal;
        return ExitStatus::Usage;
    }
    const bool finished = walk();
    m_frontEnd.finish();
    const bool closed = closeReport();
    if (m_catalogue.report.readerGone())
        return Interrupt::endByBrokenPipe();
    m_frontEnd.showLeftOutCount();
    if (const int signal = Interrupt::pendingSignal())
        return ExitStatus::SignalBase + signal;
    // A directory left out for lack of memory or access leaves the report
    // incomplete; one left out by the report's own rule does not.
    const bool complete = finished && closed && m_catalogue.scan.outOfMemoryErrors() == 0 &&
                          m_catalogue.scan.leftOut().unreadable == 0;
    return complete ? ExitStatus::Success : ExitStatus::Failure;
}

bool CatalogueRun::openDirectory()
{
    try {
        m_directory = absoluteCleanPath(m_options.directory);
        try {
            m_catalogue.cursor.dir.setPath(m_directory);
        } catch (const std::bad_alloc &) {
            // Too large to list in the memory there is: the walk meets this
            // again in its top directory, says so and ends the run as failed.
        }
        // A directory that can be read but not searched lists names whose
        // files cannot be reached: the report would be empty.
        if (const int error = searchError(m_directory))
            throw RuntimeError::forDirectory(error, m_directory);
        m_catalogue.cursor.files.setPattern(QStringLiteral("*.*"));
        return true;
    } catch (const RuntimeError &error) {
        Terminal::showError(error.description());
        return false;
    }
}

// Opening a FIFO waits for its reader; a stop signal ends the wait, and the
// run then ends as the signal asks, without a message.
bool CatalogueRun::openReport()
{
    if (Interrupt::pendingSignal() != 0)
        return false;
    try {
        if (!m_options.outputFile)
            m_catalogue.report.openStandardOutput();
        else if (m_options.append)
            m_catalogue.report.openForAppend(*m_options.outputFile);
        else
            m_catalogue.report.openForOutput(*m_options.outputFile);
        startExport();
        return true;
    } catch (const RuntimeError &error) {
        if (Interrupt::pendingSignal() == 0)
            Terminal::showError(
                QStringLiteral("cannot open the report: %1").arg(error.description()));
        return false;
    }
}

// An export starts with a header row (CSV) or a description of the
// catalogue (JSON Lines) before the walk writes its records.
void CatalogueRun::startExport()
{
    if (!m_options.format)
        return;
    CatalogueDescription catalogue;
    catalogue.root = m_directory;
    catalogue.volume = volumeLabelOf(m_directory);
    catalogue.created = QDateTime::currentSecsSinceEpoch();
    catalogue.program = QStringLiteral("tallywick-cli");
    catalogue.version = QStringLiteral(TALLYWICK_VERSION);
    const CategorySwitches &switches = m_options.switches;
    catalogue.options = {
        {QStringLiteral("graphic"), switches.graphic},
        {QStringLiteral("music"), switches.music},
        {QStringLiteral("video"), switches.video},
        {QStringLiteral("install"), switches.install},
        {QStringLiteral("install_answer"), installAnswerName(installAnswerFor(m_options))},
        {QStringLiteral("threads"), m_options.threads > 0
                                        ? CatalogueDescription::Value(qint64(m_options.threads))
                                        : QStringLiteral("automatic")},
    };
    m_catalogue.scan.exportAs(*m_options.format).WriteStart(catalogue);
}

// False when the walk ended the program: its message has been shown.
bool CatalogueRun::walk()
{
    try {
        m_catalogue.scan.ScanFolder(m_directory, QByteArray());
        return !m_frontEnd.programEnded();
    } catch (const ProgramEnded &) {
        return false;
    }
}

// The report keeps every line written, whatever ended the walk; a report
// that cannot be written out whole is a failed run. A write that failed in
// the walk usually fails again here with the same error: its message has
// been shown already, as the walk ends at any error.
bool CatalogueRun::closeReport()
{
    const int failedInWalk = m_catalogue.report.writeError();
    try {
        m_catalogue.report.close();
        return true;
    } catch (const RuntimeError &error) {
        // Whoever read the output has gone: nobody is left to tell.
        if (error.number() != failedInWalk && !m_catalogue.report.readerGone())
            Terminal::showError(error.description());
        return false;
    }
}

} // namespace

int runCatalogue(const Options &options)
{
    return CatalogueRun(options).exec();
}
