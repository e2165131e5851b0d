// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// A reason in an error text as the system words it: the C library's text,
// and on Windows Windows' own text for its error code `windowsError`.
inline QString systemReason([[maybe_unused]] const char *posixText,
                            [[maybe_unused]] unsigned long windowsError)
{
#ifdef Q_OS_WIN
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, windowsError, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString words = QString::fromWCharArray(text).trimmed();
    LocalFree(text);
    return words;
#else
    return QString::fromUtf8(posixText);
#endif
}
