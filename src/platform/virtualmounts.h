#pragma once

#include "mounttable.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <memory>
#include <vector>

// The mount points of the kernel's file systems (proc, sysfs, devpts, cgroup
// and the like), grouped by the directory that holds them. The directory
// list leaves them out, so that a walk of "/" never enters /proc or /sys.
class VirtualMounts
{
public:
    // The mount points inside one directory: none for almost every directory.
    class InDirectory
    {
    public:
        bool contains(const char *name) const
        {
            return m_names && m_names->contains(QByteArray::fromRawData(
                                  name, static_cast<qsizetype>(qstrlen(name))));
        }

    private:
        friend class VirtualMounts;
        const QSet<QByteArray> *m_names = nullptr;
    };

    explicit VirtualMounts(const std::vector<MountEntry> &table);

    // The mount points in the directory at `path`: one hash lookup.
    InDirectory in(const QByteArray &path) const;

    // Those of this system: the mount table read at first use, and read
    // again when it has changed (looked at no more than once a second).
    // Any thread may ask; each keeps the table it got as long as it needs.
    static std::shared_ptr<const VirtualMounts> current();

private:
    QHash<QByteArray, QSet<QByteArray>> m_namesByParent;
};
