#include "reportfolder.h"

#include "names.h"

#include <QDir>

ReportFolder::ReportFolder(const QString &path) : m_path(QDir::fromNativeSeparators(path))
{
    if (!m_path.endsWith(QLatin1Char('/')))
        m_path += QLatin1Char('/');
    m_displayName = QDir::toNativeSeparators(m_path);
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
    return encodedPath(QDir::toNativeSeparators(m_path + reportFileName(number)));
}

QString reportFileName(int number)
{
    return QStringLiteral("file-report%1.txt").arg(number, 2, 10, QLatin1Char('0'));
}
