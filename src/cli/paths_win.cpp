#include "paths.h"

#include "platform/names.h"

#include <QDir>

// Paths come and go as UTF-8 bytes of the system's UTF-16 names.
QByteArray absoluteCleanPath(const QByteArray &path)
{
    const QString absolute = QDir::current().absoluteFilePath(QString::fromUtf8(path));
    return encodedPath(QDir::toNativeSeparators(QDir::cleanPath(absolute)));
}

QString displayPath(const QByteArray &path)
{
    return printableName(path);
}
