// SPDX-License-Identifier: GPL-3.0-or-later
#include "skiprule.h"

#include "names.h"
#include "pathsyntax.h"

#include <QString>

namespace {

// Whether `text` at `at` holds `lower` in any case; ASCII only.
bool holdsAsciiAt(const QByteArray &text, qsizetype at, QByteArrayView lower)
{
    if (at + lower.size() > text.size())
        return false;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != lower[i])
            return false;
    }
    return true;
}

// A name lower-cases to "disk..." or to "disk1". Outside ASCII a character
// may lower-case into ASCII (KELVIN SIGN to "k"): such names are decoded.
DiskNames diskNamesOfName(const QByteArray &name, qsizetype at, qsizetype end)
{
    if (!holdsAsciiAt(name, at, "disk"))
        return {};
    return {true, end - at == 5 && holdsAsciiAt(name, at, "disk1")};
}

DiskNames decodedDiskNames(const QString &path)
{
    const QString separator(QLatin1Char{PathSeparator});
    const QString probe = lowerCased(path + separator);
    return {probe.contains(separator + QLatin1String("disk")),
            probe.contains(separator + QLatin1String("disk1") + separator)};
}

} // namespace

bool IsSkippedFolder(qint64 fileCount, const QByteArray &path)
{
    return fileCount == 0 || diskNamesOf(path).onLaterDisk();
}

DiskNames diskNamesOf(const QByteArray &path)
{
    // Of a package spread over disk1, disk2, ... only disk1 is catalogued.
    // Every name that follows a separator counts, the last one included.
    if (!isAsciiOnly(path))
        return decodedDiskNames(decodedName(path));
    DiskNames names;
    for (qsizetype at = path.indexOf(PathSeparator); at >= 0;) {
        const qsizetype next = path.indexOf(PathSeparator, at + 1);
        const DiskNames name = diskNamesOfName(path, at + 1, next < 0 ? path.size() : next);
        names.someDisk = names.someDisk || name.someDisk;
        names.firstDisk = names.firstDisk || name.firstDisk;
        at = next;
    }
    return names;
}

DiskNames diskNamesBelow(DiskNames parent, const QByteArray &name)
{
    DiskNames names;
    if (isAsciiOnly(name)) {
        names = diskNamesOfName(name, 0, name.size());
    } else {
        const QString probe = lowerCased(decodedName(name));
        names = {probe.startsWith(QLatin1String("disk")), probe == QLatin1String("disk1")};
    }
    return {parent.someDisk || names.someDisk, parent.firstDisk || names.firstDisk};
}
