// SPDX-License-Identifier: GPL-3.0-or-later
#include "runprogress.h"

#include "walkprogress.h"

namespace {

QString lines(qint64 count)
{
    return counted(count, QStringLiteral("line"), QStringLiteral("lines"));
}

} // namespace

QString statusText(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunProgress::Stage::Running:
        return walkCounts(progress.foldersVisited, progress.reportLines) + QStringLiteral(": ") +
               progress.currentFolder;
    case RunProgress::Stage::Finished:
        return progress.reportPath + QStringLiteral(": ") + lines(progress.reportLines);
    case RunProgress::Stage::Cancelled:
        return QStringLiteral("Cancelled; ") + progress.reportPath + QStringLiteral(" keeps ") +
               lines(progress.reportLines);
    case RunProgress::Stage::NotStarted:
        break;
    }
    return QString();
}
