#include "drivelist.h"

#include "mounttable.h"
#include "names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

#include <algorithm>

namespace {

bool holds(const QByteArray &mountPoint, const QByteArray &path)
{
    if (!path.startsWith(mountPoint))
        return false;
    return path.size() == mountPoint.size() || mountPoint.endsWith('/') ||
           mountPoint.endsWith('\\') || path.at(mountPoint.size()) == '/';
}

void sortByMountPoint(std::vector<DriveEntry> &drives)
{
    std::sort(drives.begin(), drives.end(), [](const DriveEntry &a, const DriveEntry &b) {
        const QByteArray keyA = collationKey(a.mountPoint);
        const QByteArray keyB = collationKey(b.mountPoint);
        return keyA != keyB ? keyA < keyB : a.mountPoint < b.mountPoint;
    });
}

#ifdef Q_OS_LINUX

// File systems that hold nothing a user keeps as a volume of its own: the
// kernel's, those of memory, and the layers and views made of other volumes.
bool isVirtualFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> viewTypes = {
        "overlay", "ramfs", "squashfs", "tmpfs", "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",
    };
    return isKernelFileSystem(type) || viewTypes.contains(type);
}

// The names of /dev/disk/by-label write unusual bytes as "\xNN".
QString labelFromLinkName(const QByteArray &name)
{
    QByteArray label;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == '\\' && i + 3 < name.size() && name.at(i + 1) == 'x') {
            label += char(name.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            label += name.at(i);
        }
    }
    return decodedName(label);
}

// Labels of the block devices, by the device's canonical path.
QHash<QString, QString> volumeLabels()
{
    QHash<QString, QString> labels;
    const QDir byLabel(QStringLiteral("/dev/disk/by-label"));
    const QFileInfoList links = byLabel.entryInfoList(QDir::System | QDir::Files);
    for (const QFileInfo &link : links)
        labels.insert(link.canonicalFilePath(),
                      labelFromLinkName(QFile::encodeName(link.fileName())));
    return labels;
}

std::vector<DriveEntry> mountedDrives()
{
    const QHash<QString, QString> labels = volumeLabels();
    QHash<QByteArray, DriveEntry> byMountPoint; // a later mount hides an earlier one
    byMountPoint.insert(QByteArrayLiteral("/"), DriveEntry{QByteArrayLiteral("/"), QString()});
    for (const MountEntry &mount : readMountTable()) {
        const bool isRoot = mount.mountPoint == "/";
        if (!isRoot && isVirtualFileSystem(mount.type))
            continue;
        if (!QFileInfo(QFile::decodeName(mount.mountPoint)).isDir())
            continue; // a single file bound over another
        const QString device = QFileInfo(QFile::decodeName(mount.source)).canonicalFilePath();
        byMountPoint.insert(mount.mountPoint, DriveEntry{mount.mountPoint, labels.value(device)});
    }
    return {byMountPoint.cbegin(), byMountPoint.cend()};
}

#else

std::vector<DriveEntry> mountedDrives()
{
    std::vector<DriveEntry> drives;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid())
            continue;
        const QByteArray root = QFile::encodeName(QDir::toNativeSeparators(volume.rootPath()));
        drives.push_back(DriveEntry{root, volume.name()});
    }
    return drives;
}

#endif

} // namespace

QString DriveEntry::text() const
{
    const QString shown = decodedName(mountPoint);
    return label.isEmpty() ? shown : shown + QStringLiteral(" [") + label + QLatin1Char(']');
}

DriveList::DriveList(std::vector<DriveEntry> drives) : m_drives(std::move(drives))
{
    sortByMountPoint(m_drives);
}

DriveList DriveList::systemDrives()
{
    return DriveList(mountedDrives());
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
        if (holds(mountPoint, path) &&
            (found < 0 || mountPoint.size() > m_drives[std::size_t(found)].mountPoint.size()))
            found = qint64(i);
    }
    return found;
}

QByteArray programFolder()
{
    return QFile::encodeName(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}
