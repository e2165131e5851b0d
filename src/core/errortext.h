// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system's text for the error number `errnoValue` ("No such file or
// directory"), in the language of the user's locale. Safe on any thread:
// the read-ahead's workers make errors too.
QString systemErrorText(int errnoValue);
