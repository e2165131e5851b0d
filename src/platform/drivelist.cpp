#include "drivelist.h"

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

// File systems of the kernel and of memory, which hold nothing a user keeps.
bool isVirtualFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> types = {
        "autofs",      "binfmt_misc",
        "bpf",         "cgroup",
        "cgroup2",     "configfs",
        "debugfs",     "devpts",
        "devtmpfs",    "efivarfs",
        "fusectl",     "hugetlbfs",
        "mqueue",      "nsfs",
        "overlay",     "proc",
        "pstore",      "ramfs",
        "rpc_pipefs",  "securityfs",
        "selinuxfs",   "squashfs",
        "sysfs",       "tmpfs",
        "tracefs",     "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs",
        "nfsd",
    };
    return types.contains(type);
}

// Mount table fields write a space, a tab, a line feed and a backslash as
// "\040", "\011", "\012" and "\134".
QByteArray unescapedField(const QByteArray &field)
{
    QByteArray result;
    result.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool isCode = false;
        const int code = field.at(i) == '\\' ? field.mid(i + 1, 3).toInt(&isCode, 8) : 0;
        if (isCode && i + 3 < field.size()) {
            result += char(code);
            i += 3;
        } else {
            result += field.at(i);
        }
    }
    return result;
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

struct Mount
{
    QByteArray mountPoint;
    QByteArray type;
    QByteArray source;
};

// One line of /proc/self/mountinfo: "id parent dev root mountpoint options
// [optional fields] - type source superoptions".
bool parseMountLine(const QByteArray &line, Mount &mount)
{
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype separator = fields.indexOf("-");
    if (fields.size() < 5 || separator < 0 || separator + 2 >= fields.size())
        return false;
    mount.mountPoint = unescapedField(fields.at(4));
    mount.type = fields.at(separator + 1);
    mount.source = unescapedField(fields.at(separator + 2));
    return true;
}

std::vector<DriveEntry> mountedDrives()
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {DriveEntry{QByteArrayLiteral("/"), QString()}};

    const QHash<QString, QString> labels = volumeLabels();
    QHash<QByteArray, DriveEntry> byMountPoint; // a later mount hides an earlier one
    byMountPoint.insert(QByteArrayLiteral("/"), DriveEntry{QByteArrayLiteral("/"), QString()});
    for (const QByteArray &line : table.readAll().split('\n')) {
        Mount mount;
        if (!parseMountLine(line, mount))
            continue;
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
