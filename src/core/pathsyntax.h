// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// How this system writes paths, kept as the file system's raw bytes. Paths
// are absolute; their names are separated by PathSeparator; the root of a
// volume ("/", "C:\") keeps its trailing separator and no other path has one.
// The system's own forms are in pathsyntax_posix.cpp and pathsyntax_win.cpp.

#ifdef Q_OS_WIN
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The root of the volume of `path`: "/", or the drive's root ("C:\").
QByteArray volumeRoot(const QByteArray &path);

// The path of entry `name` inside directory `dirPath`.
QByteArray childPath(const QByteArray &dirPath, const QByteArray &name);
// Makes `dirPath` the path of its entry `name`, in place.
void appendName(QByteArray &dirPath, const QByteArray &name);
// The name when `path` is an entry of directory `dirPath`, else empty.
QByteArray entryName(const QByteArray &dirPath, const QByteArray &path);
// The name of the entry of `dirPath` on the way down to `path`, a path
// below it.
QByteArray firstNameBelow(const QByteArray &dirPath, const QByteArray &path);
// The directory that holds `path`; a volume's root is its own parent.
QByteArray parentPath(const QByteArray &path);
// The last name of `path`; empty for the root of a volume.
QByteArray finalName(const QByteArray &path);

// True when `path` lies below the directory `ancestor` (not when equal).
bool isAncestorPath(const QByteArray &ancestor, const QByteArray &path);
// True when `path` is the directory `ancestor` or lies below it.
bool isSameOrBelow(const QByteArray &ancestor, const QByteArray &path);

// A path as Qt gives it, in the bytes the disk operations take, and back.
QByteArray encodedPath(const QString &path);
QString decodedPath(const QByteArray &path);
