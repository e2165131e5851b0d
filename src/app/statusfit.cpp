// SPDX-License-Identifier: GPL-3.0-or-later
#include "statusfit.h"

#include "pathsyntax.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

QString withoutMiddle(const QString &path, int excess, const QFontMetrics &metrics)
{
    if (path.isEmpty())
        return path;
    const int room = std::max(0, metrics.horizontalAdvance(path) - excess);
    return metrics.elidedText(path, Qt::ElideMiddle, room);
}

QString withFolderShortened(const QString &path, int excess, const QFontMetrics &metrics)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char(PathSeparator)) + 1;
    return withoutMiddle(path.left(nameStart), excess, metrics) + path.mid(nameStart);
}

} // namespace

QString fittedStatusText(RunProgress progress, const QFontMetrics &metrics, int width)
{
    QString whole = statusText(progress);
    const int excess = metrics.horizontalAdvance(whole) - width;
    if (excess <= 0)
        return whole;
    progress.currentFolder = withoutMiddle(progress.currentFolder, excess, metrics);
    progress.reportPath = withFolderShortened(progress.reportPath, excess, metrics);
    return metrics.elidedText(statusText(progress), Qt::ElideRight, width);
}
