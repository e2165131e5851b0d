// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivelist.h"

#include "names.h"
#include "pathsyntax.h"
#include "systemvolumes.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace {

void sortByMountPoint(std::vector<DriveEntry> &drives)
{
    std::sort(drives.begin(), drives.end(), [](const DriveEntry &a, const DriveEntry &b) {
        const QByteArray keyA = collationKey(a.mountPoint);
        const QByteArray keyB = collationKey(b.mountPoint);
        return keyA != keyB ? keyA < keyB : a.mountPoint < b.mountPoint;
    });
}

} // namespace

DriveList::DriveList(std::vector<DriveEntry> drives) : m_drives(std::move(drives))
{
    sortByMountPoint(m_drives);
}

DriveList DriveList::systemDrives()
{
    return DriveList(systemVolumes());
}

qint64 DriveList::indexOfText(const QString &text) const
{
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].text() == text)
            return qint64(i);
    }
    return -1;
}

qint64 DriveList::indexOfPath(const QByteArray &path) const
{
    qint64 found = -1;
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        const QByteArray &mountPoint = m_drives[i].mountPoint;
        if (isSameOrBelow(mountPoint, path) &&
            (found < 0 || mountPoint.size() > m_drives[std::size_t(found)].mountPoint.size()))
            found = qint64(i);
    }
    return found;
}

QByteArray programFolder()
{
    return encodedPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}
