// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportfolder.h"

#include "pathsyntax.h"

#include <QDir>

ReportFolder::ReportFolder(const QString &path) : m_path(QDir::toNativeSeparators(path))
{
    if (!m_path.endsWith(QLatin1Char(PathSeparator)))
        m_path += QLatin1Char(PathSeparator);
}

ReportFolder ReportFolder::standard()
{
#ifdef Q_OS_WIN
    return ReportFolder(QStringLiteral("C:\\"));
#else
    return ReportFolder(QDir::homePath());
#endif
}

QByteArray ReportFolder::reportPath(int number) const
{
    return encodedPath(m_path + reportFileName(number));
}

QString reportFileName(int number)
{
    return QStringLiteral("file-report%1.txt").arg(number, 2, 10, QLatin1Char('0'));
}
