// SPDX-License-Identifier: GPL-3.0-or-later
#include "runprogress.h"

#include "walkprogress.h"

namespace {

QString lines(qint64 count)
{
    return counted(count, QStringLiteral("line"), QStringLiteral("lines"));
}

// The outcome's last words: what the run left out, if anything.
QString leftOut(const RunProgress &progress)
{
    const QString summary = leftOutSummary(progress.unreadable, progress.laterDisks);
    return summary.isEmpty() ? summary : QStringLiteral("; ") + summary;
}

} // namespace

QString statusText(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunProgress::Stage::Running:
        return walkCounts(progress.foldersVisited, progress.reportLines) + QStringLiteral(": ") +
               progress.currentFolder;
    case RunProgress::Stage::Finished:
        return progress.reportPath + QStringLiteral(": ") + lines(progress.reportLines) +
               leftOut(progress);
    case RunProgress::Stage::Cancelled:
        return QStringLiteral("Cancelled; ") + progress.reportPath + QStringLiteral(" keeps ") +
               lines(progress.reportLines) + leftOut(progress);
    case RunProgress::Stage::NotStarted:
        break;
    }
    return QString();
}
