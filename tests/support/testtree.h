// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pathsyntax.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#ifdef Q_OS_WIN
#include "windowsfiles_win.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// A tree of real files in a temporary folder, removed afterwards.
class TestTree
{
public:
    // `folderTemplate` as QTemporaryDir takes it; by default the system's.
    explicit TestTree(const QString &folderTemplate = QString())
        : m_dir(folderTemplate.isEmpty() ? QTemporaryDir() : QTemporaryDir(folderTemplate))
    {
        QVERIFY(m_dir.isValid());
    }
    ~TestTree()
    {
        for (const auto &remove : m_removals)
            remove();
    }

    // Paths in the system's form; `relative` paths below the root use "/".
    QByteArray root() const { return encodedPath(QDir::toNativeSeparators(m_dir.path())); }
    // The root as the report writes it, lower-cased ("/" as in ScanRun::lines()).
    QString reportRoot() const { return m_dir.path().toLower(); }

    QByteArray path(const QByteArray &relative) const
    {
        return root() + PathSeparator + QByteArray(relative).replace('/', PathSeparator);
    }
    QString native(const QByteArray &relative = {}) const
    {
        return decodedPath(relative.isEmpty() ? root() : path(relative));
    }

    void dir(const QByteArray &relative) { QVERIFY(QDir().mkpath(native(relative))); }

    // A file of `size` bytes; large sizes stay sparse.
    void file(const QByteArray &relative, qint64 size = 0)
    {
        const QByteArray full = path(relative);
        const qsizetype slash = full.lastIndexOf(PathSeparator);
        QVERIFY(QDir().mkpath(decodedPath(full.left(slash))));
#ifdef Q_OS_WIN
        QFile file(decodedPath(full));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
#else
        // Raw bytes all the way: a name need not be valid UTF-8.
        const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, size), 0);
        ::close(fd);
#endif
    }

    void write(const QByteArray &relative, const QByteArray &content)
    {
        file(relative);
        QFile file(native(relative));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    QByteArray read(const QByteArray &relative) const
    {
        QFile file(native(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void files(const QByteArray &relativeDir, const QList<QByteArray> &names)
    {
        for (const QByteArray &name : names)
            file(relativeDir + '/' + name);
    }

    // `depth` directories `name` nested below `relative`, the file `leaf` of
    // `size` bytes at the bottom; made (and removed) through directory handles,
    // as their paths may be longer than the system accepts.
    void chain(const QByteArray &relative, int depth, const QByteArray &name,
               const QByteArray &leaf, qint64 size)
    {
        dir(relative);
#ifdef Q_OS_WIN
        QByteArray below = path(relative);
        for (int level = 0; level < depth; ++level) {
            below += PathSeparator + name;
            QVERIFY(CreateDirectoryW(longWidePath(below).c_str(), nullptr));
        }
        const HANDLE file = CreateFileW(longWidePath(below + PathSeparator + leaf).c_str(),
                                        GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        QVERIFY(file != INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = size;
        QVERIFY(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
#else
        int fd = ::open(path(relative).constData(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth && fd >= 0; ++level) {
            QCOMPARE(::mkdirat(fd, name.constData(), 0755), 0);
            fd = descend(fd, name.constData());
        }
        QVERIFY(fd >= 0);
        const int file = ::openat(fd, leaf.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(file >= 0);
        QCOMPARE(::ftruncate(file, size), 0);
        ::close(file);
        ::close(fd);
        m_removals.append([top = path(relative), depth, name, leaf] {
            int dirFd = ::open(top.constData(), O_RDONLY | O_DIRECTORY);
            for (int level = 0; level < depth && dirFd >= 0; ++level)
                dirFd = descend(dirFd, name.constData());
            ::unlinkat(dirFd, leaf.constData(), 0);
            for (int level = 0; level < depth && dirFd >= 0; ++level) {
                dirFd = descend(dirFd, "..");
                ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
            }
            ::close(dirFd);
        });
#endif
    }

private:
#ifndef Q_OS_WIN
    static int descend(int fd, const char *name)
    {
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        return next;
    }
#endif

    QTemporaryDir m_dir;
    QList<std::function<void()>> m_removals; // of chains, whose paths may be too long
};

// A report line for a file of less than 1000 bytes: name, "1Kb", directory.
inline QByteArray smallFileLine(const QString &name, const QString &directory)
{
    return (name.leftJustified(19) + QStringLiteral("    1Kb ") + directory.toLower()).toUtf8() +
           "\r\n";
}
