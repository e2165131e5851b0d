// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportfolder.h"

#include "pathsyntax.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

ReportFolder::ReportFolder(const QString &path) : m_path(QDir::toNativeSeparators(path))
{
    if (!m_path.endsWith(QLatin1Char(PathSeparator)))
        m_path += QLatin1Char(PathSeparator);
}

ReportFolder ReportFolder::standard()
{
#ifdef Q_OS_WIN
    return firstTakingFiles({QStringLiteral("C:\\"),
                             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)});
#else
    return ReportFolder(QDir::homePath());
#endif
}

// A file of a name of its own is made and removed at once: a folder may
// refuse new files and take changes to those it holds.
ReportFolder ReportFolder::firstTakingFiles(const QStringList &folders)
{
    for (const QString &folder : folders) {
        QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("tallywick-XXXXXX.tmp")));
        if (probe.open())
            return ReportFolder(folder);
    }
    return ReportFolder(folders.isEmpty() ? QString() : folders.last());
}

QByteArray ReportFolder::reportPath(int number) const
{
    return encodedPath(m_path + reportFileName(number));
}

QString reportFileName(int number)
{
    return QStringLiteral("file-report%1.txt").arg(number, 2, 10, QLatin1Char('0'));
}
