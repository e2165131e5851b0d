// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the Windows side of the platform layer shares: paths and names
// between the engine's UTF-8 bytes and the system's UTF-16, and the
// system's error codes as the errno values RuntimeError reads.

#include <QByteArray>

#include <string>

#include <windows.h>

// The path as the wide-character functions take it: backslashes, "." and
// ".." resolved, and the "\\?\" prefix that lifts the limit of 260
// characters (relative paths are made absolute first).
std::wstring longWidePath(const QByteArray &path);

// UTF-16 and the engine's UTF-8 bytes. A lone surrogate, which UTF-8 cannot
// hold, is replaced: such a rare name is listed but cannot be opened.
std::wstring wideName(const QByteArray &name);
QByteArray utf8Name(const wchar_t *name, std::size_t length);

// While it lives, a drive that is not ready (no disk in it) makes the
// calls of this thread fail with ERROR_NOT_READY instead of asking the user
// to insert a disk.
class QuietDriveErrors
{
public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_previous); }
    ~QuietDriveErrors() { SetThreadErrorMode(m_previous, nullptr); }
    QuietDriveErrors(const QuietDriveErrors &) = delete;
    QuietDriveErrors &operator=(const QuietDriveErrors &) = delete;

private:
    DWORD m_previous = 0;
};

// The errno value for a Windows error code (GetLastError()).
int errnoFromWindowsError(DWORD error);
