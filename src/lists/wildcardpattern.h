// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// A file list pattern: "*" is any run of characters, "?" one character, and
// "*.*" matches every name, names without a dot included. Matching ignores
// case: it is done against the collation key of a name.
class WildcardPattern
{
public:
    explicit WildcardPattern(const QString &text = QStringLiteral("*.*"));

    const QString &text() const { return m_text; }
    bool matchesEverything() const { return m_form == Form::Everything; }
    bool matches(const QByteArray &key) const;

private:
    enum class Form { Everything, Exact, Suffix, General };

    QString m_text;
    QByteArray m_key;    // lower-cased UTF-8 of the pattern
    QByteArray m_suffix; // for "*literal": the literal
    Form m_form;
};
