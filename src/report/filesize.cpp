// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesize.h"

#include <QLocale>

#include <cmath>

namespace {

// To the nearest whole number, an exact half going to the even neighbour.
qint64 roundedHalfToEven(double value)
{
    return qint64(std::nearbyint(value));
}

// The group separator of the locale in force now; "," where it has none.
QString thousandsSeparator()
{
    const QString fromLocale = QLocale().groupSeparator();
    return fromLocale.isEmpty() ? QStringLiteral(",") : fromLocale;
}

} // namespace

FileSize FormatFileSize(qint64 length)
{
    if (length < 1000)
        return {1, QLatin1String("Kb")};
    if (length < 1000000)
        return {roundedHalfToEven(double(length) / 1000.0), QLatin1String("Kb")};
    return {roundedHalfToEven(double(length) / 1000000.0), QLatin1String("Mb")};
}

QString groupedNumber(qint64 value)
{
    QString digits = QString::number(value);
    if (digits.size() <= 3)
        return digits;
    const QString separator = thousandsSeparator();
    QString grouped;
    const qsizetype firstGroup = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    grouped += QStringView(digits).left(firstGroup);
    for (qsizetype i = firstGroup; i < digits.size(); i += 3) {
        grouped += separator;
        grouped += QStringView(digits).mid(i, 3);
    }
    return grouped;
}
