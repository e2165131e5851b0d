#include "runprogress.h"

#include "filesize.h"

namespace {

QString counted(qint64 count, const QString &one, const QString &many)
{
    return groupedNumber(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QString lines(qint64 count)
{
    return counted(count, QStringLiteral("line"), QStringLiteral("lines"));
}

} // namespace

QString statusText(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunProgress::Stage::Running:
        return counted(progress.foldersVisited, QStringLiteral("directory"),
                       QStringLiteral("directories")) +
               QStringLiteral(", ") + lines(progress.reportLines) + QStringLiteral(": ") +
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
