// SPDX-License-Identifier: GPL-3.0-or-later
#include "mounttable.h"

#include <QFile>
#include <QList>

#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#else
#include <QDir>
#include <QStorageInfo>
#endif

namespace {

#ifdef Q_OS_LINUX

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

// One line of /proc/self/mountinfo: "id parent dev root mountpoint options
// [optional fields] - type source superoptions".
bool parseMountLine(const QByteArray &line, MountEntry &mount)
{
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype separator = fields.indexOf("-");
    if (fields.size() < 5 || separator < 0 || separator + 2 >= fields.size())
        return false;
    const QList<QByteArray> device = fields.at(2).split(':');
    if (device.size() == 2)
        mount.device = makedev(device[0].toUInt(), device[1].toUInt());
    mount.mountPoint = unescapedField(fields.at(4));
    mount.type = fields.at(separator + 1);
    mount.source = unescapedField(fields.at(separator + 2));
    return true;
}

#endif

} // namespace

#ifdef Q_OS_LINUX

std::vector<MountEntry> readMountTable()
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    std::vector<MountEntry> mounts;
    for (const QByteArray &line : table.readAll().split('\n')) {
        MountEntry mount;
        if (parseMountLine(line, mount))
            mounts.push_back(std::move(mount));
    }
    return mounts;
}

#else

std::vector<MountEntry> readMountTable()
{
    std::vector<MountEntry> mounts;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        const QByteArray root = QFile::encodeName(QDir::toNativeSeparators(volume.rootPath()));
        mounts.push_back(MountEntry{root, volume.fileSystemType(), volume.device()});
    }
    return mounts;
}

#endif

bool isKernelFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> types = {
        "apparmorfs", "autofs",   "binder",  "binfmt_misc", "bpf",        "cgroup",
        "cgroup2",    "configfs", "cpuset",  "debugfs",     "devfs",      "devpts",
        "devtmpfs",   "efivarfs", "fusectl", "hugetlbfs",   "mqueue",     "nfsd",
        "nsfs",       "proc",     "pstore",  "resctrl",     "rpc_pipefs", "securityfs",
        "selinuxfs",  "smackfs",  "sysfs",   "tracefs",     "xenfs",
    };
    return types.contains(type);
}
