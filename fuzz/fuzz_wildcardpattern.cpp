// Wildcard patterns against names: matching never crashes, "*" and "*.*"
// match every name, a name without wildcards matches itself in any case,
// and on ASCII the result agrees with a plain recursive matcher.
//
// Input: the pattern's bytes, a zero byte, the name's bytes.

#include "fuzzcheck.h"

#include "names.h"
#include "wildcardpattern.h"

namespace {

// "*" any run of bytes, "?" one byte; both strings already lower-cased ASCII.
bool referenceMatches(const char *pattern, const char *patternEnd, const char *name,
                      const char *nameEnd)
{
    if (pattern == patternEnd)
        return name == nameEnd;
    if (*pattern == '*') {
        for (const char *rest = name;; ++rest) {
            if (referenceMatches(pattern + 1, patternEnd, rest, nameEnd))
                return true;
            if (rest == nameEnd)
                return false;
        }
    }
    if (name == nameEnd)
        return false;
    return (*pattern == '?' || *pattern == *name) &&
           referenceMatches(pattern + 1, patternEnd, name + 1, nameEnd);
}

bool referenceMatches(const QByteArray &pattern, const QByteArray &name)
{
    if (pattern == "*.*")
        return true;
    return referenceMatches(pattern.constData(), pattern.constData() + pattern.size(),
                            name.constData(), name.constData() + name.size());
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
    // The plain matcher backtracks exponentially on many stars.
    if (patternBytes.count('*') > 8 || name.size() > 64)
        return 0;

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
