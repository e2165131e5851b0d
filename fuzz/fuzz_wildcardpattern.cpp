// SPDX-License-Identifier: GPL-3.0-or-later
// Wildcard patterns against names: matching never crashes, "*" and "*.*"
// match every name, a name without wildcards matches itself in any case,
// and on ASCII the result agrees with a plain table-filling matcher.
//
// Input: the pattern's bytes, a zero byte, the name's bytes.

#include "fuzzcheck.h"

#include "names.h"
#include "wildcardpattern.h"

#include <vector>

namespace {

// "*" any run of bytes, "?" one byte; both strings already lower-cased ASCII.
// One row of the table "the first i bytes of the pattern match the first j
// bytes of the name", filled pattern byte by pattern byte: time and memory
// stay polynomial whatever the stars.
bool referenceMatches(const QByteArray &pattern, const QByteArray &name)
{
    if (pattern == "*.*")
        return true;
    std::vector<char> row(std::size_t(name.size()) + 1, 0);
    row[0] = 1;
    for (const char p : pattern) {
        if (p == '*') {
            // A star takes any run: a match of j bytes gives one of every j' >= j.
            for (std::size_t j = 1; j < row.size(); ++j)
                row[j] = char(row[j] || row[j - 1]);
        } else {
            for (std::size_t j = row.size() - 1; j > 0; --j)
                row[j] = char(row[j - 1] && (p == '?' || p == name[qsizetype(j - 1)]));
            row[0] = 0;
        }
    }
    return row.back() != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = fuzzBytes(data, size);
    const qsizetype split = input.indexOf('\0');
    if (split < 0)
        return 0;
    const QByteArray patternBytes = input.left(split);
    const QByteArray name = input.mid(split + 1);
    const WildcardPattern pattern(decodedName(patternBytes));
    const QByteArray key = collationKey(name);
    const bool matches = pattern.matches(key);

    FUZZ_CHECK(WildcardPattern(QStringLiteral("*")).matches(key));
    FUZZ_CHECK(WildcardPattern(QStringLiteral("*.*")).matches(key));
    if (!name.isEmpty() && !name.contains('*') && !name.contains('?')) {
        FUZZ_CHECK(WildcardPattern(decodedName(name)).matches(key));
        FUZZ_CHECK(WildcardPattern(decodedName(name).toUpper()).matches(key) || !isAsciiOnly(name));
    }
    if (isAsciiOnly(patternBytes) && isAsciiOnly(name))
        FUZZ_CHECK(matches == referenceMatches(patternBytes.toLower(), key));
    return 0;
}
