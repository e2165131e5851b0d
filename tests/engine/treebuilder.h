#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// Builds directory trees of real files in a temporary folder.
class TreeBuilder
{
public:
    TreeBuilder() { QVERIFY(m_dir.isValid()); }

    QByteArray root() const { return QFile::encodeName(m_dir.path()); }
    QString rootText() const { return m_dir.path(); }
    // The root as the report writes it: lower-cased.
    QString reportRoot() const { return m_dir.path().toLower(); }

    QByteArray path(const QByteArray &relative) const { return root() + '/' + relative; }

    void dir(const QByteArray &relative)
    {
        QVERIFY(QDir().mkpath(QFile::decodeName(path(relative))));
    }

    // A file of `size` bytes; large sizes stay sparse.
    void file(const QByteArray &relative, qint64 size = 0)
    {
        const QByteArray full = path(relative);
        const qsizetype slash = full.lastIndexOf('/');
        QVERIFY(QDir().mkpath(QFile::decodeName(full.left(slash))));
        // Raw bytes all the way: a name need not be valid UTF-8.
        const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, size), 0);
        ::close(fd);
    }

    void files(const QByteArray &relativeDir, const QList<QByteArray> &names)
    {
        for (const QByteArray &name : names)
            file(relativeDir + '/' + name);
    }

private:
    QTemporaryDir m_dir;
};
