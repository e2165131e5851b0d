#pragma once

#include "pathsyntax.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A folder of real files for one test, removed afterwards.
class TestTree
{
public:
    TestTree() { QVERIFY(m_dir.isValid()); }

    // Paths in the system's form ("\\" on Windows).
    QString path(const QString &relative = QString()) const
    {
        return QDir::toNativeSeparators(relative.isEmpty() ? m_dir.path()
                                                           : m_dir.filePath(relative));
    }
    QByteArray rawPath(const QString &relative = QString()) const
    {
        return encodedPath(path(relative));
    }

    void file(const QString &relative, const QByteArray &content = QByteArray())
    {
        const QString full = path(relative);
        QVERIFY(QDir().mkpath(QFileInfo(full).path()));
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    QByteArray read(const QString &relative) const { return readFile(path(relative)); }

    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }

private:
    QTemporaryDir m_dir;
};

// A report line for a file of less than 1000 bytes: name, "1Kb", directory.
inline QByteArray smallFileLine(const QString &name, const QString &directory)
{
    return (name.leftJustified(19) + QStringLiteral("    1Kb ") + directory.toLower()).toUtf8() +
           "\r\n";
}
