// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportchoice.h"

#include "filesystem.h"
#include "frontend.h"
#include "reportfile.h"
#include "reportfolder.h"
#include "runtimeerror.h"

namespace {

// Message boxes break a prompt's lines with a single carriage return.
constexpr QChar LineBreak = QChar(13);

enum class OpenMode { Output, Append };

QString creatingTitle(const ReportFolder &folder)
{
    return QStringLiteral("Creating report in ") + folder.displayName();
}

// The length of the file at `path`, or 0 when it cannot be queried. A failed
// query leaves its error number in `error`; a successful one leaves `error`
// as it was.
qint64 probeLength(const QByteArray &path, int &error)
{
    try {
        return fileLength(path);
    } catch (const RuntimeError &failure) {
        error = failure.number();
        return 0;
    }
}

ReportChoice openReport(ReportFile &report, const QByteArray &path, OpenMode mode,
                        FrontEnd &frontEnd, const ReportFolder &folder)
{
    try {
        if (mode == OpenMode::Append)
            report.openForAppend(path);
        else
            report.openForOutput(path);
        return ReportChoice::GoAhead;
    } catch (const RuntimeError &failure) {
        frontEnd.messageBox(QStringLiteral("The report file cannot be opened.") + LineBreak +
                                failure.description(),
                            MessageStyle::Critical, creatingTitle(folder));
        return ReportChoice::Abandoned;
    }
}

[[noreturn]] void endAtReportLimit(FrontEnd &frontEnd)
{
    frontEnd.messageBox(QStringLiteral("Critical error, you have 99 report files.") + LineBreak +
                            QStringLiteral("Please erase and re-start"),
                        MessageStyle::Critical, QStringLiteral("Closing Tallywick.."));
    frontEnd.endProgram();
    throw ProgramEnded{};
}

// The first numbered report file from 02 on that does not exist. Only a
// query that fails with "file not found" ends the search; the error number
// is not reset between the queries.
int firstFreeReportNumber(FrontEnd &frontEnd, const ReportFolder &folder)
{
    int error = 0;
    int reportNumber = ReportFolder::FirstNumber;
    while (error != ErrorNumber::FileNotFound) {
        ++reportNumber;
        if (reportNumber > ReportFolder::LastNumber)
            endAtReportLimit(frontEnd);
        probeLength(folder.reportPath(reportNumber), error);
    }
    return reportNumber;
}

MessageAnswer askForNewReport(FrontEnd &frontEnd, const ReportFolder &folder)
{
    const QString prompt = QLatin1Char('[') + reportFileName(ReportFolder::FirstNumber) +
                           QStringLiteral("] already exist.") + LineBreak +
                           QStringLiteral("New file report? (no=Append)");
    return frontEnd.messageBox(prompt, MessageStyle::YesNoCancelQuestion, creatingTitle(folder));
}

} // namespace

ReportChoice ChooseReportFile(ReportFile &report, FrontEnd &frontEnd, const ReportFolder &folder)
{
    const QByteArray firstReport = folder.reportPath(ReportFolder::FirstNumber);
    int error = 0;
    if (probeLength(firstReport, error) == 0 || error == ErrorNumber::FileNotFound)
        return openReport(report, firstReport, OpenMode::Output, frontEnd, folder);

    switch (askForNewReport(frontEnd, folder)) {
    case MessageAnswer::No:
        return openReport(report, firstReport, OpenMode::Append, frontEnd, folder);
    case MessageAnswer::Yes:
        return openReport(report, folder.reportPath(firstFreeReportNumber(frontEnd, folder)),
                          OpenMode::Output, frontEnd, folder);
    default:
        return ReportChoice::Abandoned;
    }
}
