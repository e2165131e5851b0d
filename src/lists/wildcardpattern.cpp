// SPDX-License-Identifier: GPL-3.0-or-later
#include "wildcardpattern.h"

#include "names.h"

namespace {

bool hasWildcards(const QByteArray &bytes)
{
    return bytes.contains('*') || bytes.contains('?');
}

// Bytes taken by the UTF-8 sequence that starts with `lead`.
qsizetype sequenceLength(char lead)
{
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0)
        return 4;
    if (byte >= 0xE0)
        return 3;
    if (byte >= 0xC0)
        return 2;
    return 1;
}

// Glob matching with backtracking to the last "*"; "?" takes one character.
bool globMatches(const QByteArray &pattern, const QByteArray &key)
{
    const qsizetype patternSize = pattern.size();
    const qsizetype keySize = key.size();
    qsizetype p = 0;
    qsizetype k = 0;
    qsizetype starPattern = -1;
    qsizetype starKey = 0;
    while (k < keySize) {
        if (p < patternSize && pattern[p] == '?') {
            ++p;
            k += sequenceLength(key[k]);
        } else if (p < patternSize && pattern[p] == '*') {
            starPattern = p++;
            starKey = k;
        } else if (p < patternSize && pattern[p] == key[k]) {
            ++p;
            ++k;
        } else if (starPattern >= 0) {
            p = starPattern + 1;
            starKey += sequenceLength(key[starKey]);
            k = starKey;
        } else {
            return false;
        }
    }
    while (p < patternSize && pattern[p] == '*')
        ++p;
    return p == patternSize && k == keySize;
}

} // namespace

WildcardPattern::WildcardPattern(const QString &text)
    : m_text(text), m_key(lowerCased(text).toUtf8()), m_form(Form::General)
{
    if (m_key == "*.*") {
        m_form = Form::Everything;
    } else if (!hasWildcards(m_key)) {
        m_form = Form::Exact;
    } else if (m_key.startsWith('*') && !hasWildcards(m_key.mid(1))) {
        m_form = Form::Suffix;
        m_suffix = m_key.mid(1);
    }
}

bool WildcardPattern::matches(const QByteArray &key) const
{
    switch (m_form) {
    case Form::Everything:
        return true;
    case Form::Exact:
        return key == m_key;
    case Form::Suffix:
        return key.endsWith(m_suffix);
    case Form::General:
        return globMatches(m_key, key);
    }
    return false;
}
