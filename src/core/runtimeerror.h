// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Numbers of the runtime errors the program tells apart. The numbers follow
// the classic runtime's table so that handlers can keep reading them.
namespace ErrorNumber {
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIoError = 57;
constexpr int DiskFull = 61;
constexpr int TooManyFiles = 67;
constexpr int PathFileAccessError = 75;
constexpr int PathNotFound = 76;
} // namespace ErrorNumber

// A failing disk or list operation. It carries the error number and a text
// that names what failed, the path involved and the system's reason.
class RuntimeError : public std::exception
{
public:
    RuntimeError(int number, QString description);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override;

    // Errors of operations on a file, and on a directory, from an errno value.
    // A missing file is error 53, a missing directory error 76.
    static RuntimeError forFile(int errnoValue, const QByteArray &path);
    static RuntimeError forDirectory(int errnoValue, const QByteArray &path);
    // The same with the system's own words for the reason, where it has them
    // for the exact error (Windows' text for its error code).
    static RuntimeError forFile(int errnoValue, const QByteArray &path, const QString &reason);
    static RuntimeError forDirectory(int errnoValue, const QByteArray &path, const QString &reason);
    // Error 9: entry `index` asked of a list of `count` `entries` ("files of
    // /tmp matching *.txt").
    static RuntimeError subscriptOutOfRange(qint64 index, qint64 count, const QString &entries);

    // A path as error texts name it: printable (see printableName()), and
    // shortened in its middle to "..." when very long, keeping its start and
    // its end, the final name whole where it fits.
    static QString pathText(const QByteArray &path);

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
