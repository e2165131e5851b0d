// SPDX-License-Identifier: GPL-3.0-or-later
// The volumes of the drive list on POSIX systems: the mount table on Linux,
// Qt's list of mounted volumes elsewhere.

#include "systemvolumes.h"

#include "mounttable.h"
#include "names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

#ifdef Q_OS_LINUX

namespace {

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

} // namespace

std::vector<DriveEntry> systemVolumes()
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

std::vector<DriveEntry> systemVolumes()
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
