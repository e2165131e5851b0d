// SPDX-License-Identifier: GPL-3.0-or-later
// The size shown for a file length: digits grouped by threes with ","
// (the C locale's stand-in), "Kb" below a million bytes and "Mb" from
// there, and the value the length rounded to whole kilobytes or megabytes,
// an exact half to the even neighbour, 1 Kb for anything below 1000 bytes.
//
// Input: eight bytes, the length (little-endian, any sign).

#include "fuzzcheck.h"

#include "filesize.h"

#include <QStringList>

#include <algorithm>
#include <cstring>

namespace {

// The digits of `number` when it is grouped correctly, else an empty text.
QString ungrouped(const QString &number)
{
    const QStringList groups = number.split(QLatin1Char(','));
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString &group = groups[i];
        const bool sized = i == 0 ? group.size() >= 1 && group.size() <= 3 : group.size() == 3;
        if (!sized)
            return {};
        for (QChar c : group) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
        }
    }
    const QString digits = groups.join(QString());
    const bool leadingZero = digits.size() > 1 && digits.startsWith(QLatin1Char('0'));
    return leadingZero ? QString() : digits;
}

// `length` / `divisor` to the nearest whole number, halves to even, exactly.
qint64 roundedQuotient(qint64 length, qint64 divisor)
{
    const qint64 quotient = length / divisor;
    const qint64 remainder = length % divisor;
    const bool up = 2 * remainder > divisor || (2 * remainder == divisor && quotient % 2 == 1);
    return quotient + (up ? 1 : 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The group separator comes from the locale; the C locale has none, so
    // "," is used.
    setenv("LC_ALL", "C", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    qint64 length = 0;
    std::memcpy(&length, data, std::min(size, sizeof length));

    const FileSize fileSize = FormatFileSize(length);
    const QString digits = ungrouped(fileSize.number());
    FUZZ_CHECK(!digits.isEmpty());

    bool parsed = false;
    const qint64 value = digits.toLongLong(&parsed);
    FUZZ_CHECK(parsed);
    FUZZ_CHECK(groupedNumber(value) == fileSize.number() && value == fileSize.amount);
    if (length < 1000) {
        FUZZ_CHECK(fileSize.unit == QLatin1String("Kb") && value == 1);
    } else if (length < 1000000) {
        FUZZ_CHECK(fileSize.unit == QLatin1String("Kb"));
        FUZZ_CHECK(value == roundedQuotient(length, 1000));
    } else {
        FUZZ_CHECK(fileSize.unit == QLatin1String("Mb"));
        // The quotient is taken in double precision: from some 2^43 bytes on
        // its fraction is too coarse to tell every half exactly.
        if (length < (qint64(1) << 43))
            FUZZ_CHECK(value == roundedQuotient(length, 1000000));
        else
            FUZZ_CHECK(value >= length / 1000000 - 1 && value <= length / 1000000 + 1);
    }
    return 0;
}
