// SPDX-License-Identifier: GPL-3.0-or-later
#include "errortext.h"

#include <cstring>

namespace {

// strerror_r comes in two kinds: the GNU one returns the text, in the buffer
// or not; the POSIX one fills the buffer and returns 0.
[[maybe_unused]] const char *textOf(const char *returned, const char * /*buffer*/)
{
    return returned;
}

[[maybe_unused]] const char *textOf(int returned, const char *buffer)
{
    return returned == 0 ? buffer : nullptr;
}

} // namespace

QString systemErrorText(int errnoValue)
{
    char buffer[256] = {};
    const char *text = textOf(strerror_r(errnoValue, buffer, sizeof buffer), buffer);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("Unknown error %1").arg(errnoValue);
}
