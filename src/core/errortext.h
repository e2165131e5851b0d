// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system's text for the error number `errnoValue` ("No such file or
// directory"), in the language of the user's locale. Safe on any thread:
// the read-ahead's workers make errors too. On Windows it is Windows' own
// text for the error the value stands for ("Access is denied.").
QString systemErrorText(int errnoValue);

#ifdef Q_OS_WIN
// Windows' own text for its error code `error` (GetLastError()), in the
// user's language, without the line end Windows gives it.
QString windowsErrorText(unsigned long error);
#endif
