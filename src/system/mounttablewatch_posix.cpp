// SPDX-License-Identifier: GPL-3.0-or-later
#include "mounttablewatch.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

MountTableWatch::MountTableWatch()
{
#ifdef Q_OS_LINUX
    m_descriptor = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
#endif
}

MountTableWatch::~MountTableWatch()
{
#ifdef Q_OS_LINUX
    if (m_descriptor >= 0)
        ::close(m_descriptor);
#endif
}

bool MountTableWatch::hasChanged() const
{
#ifdef Q_OS_LINUX
    if (m_descriptor < 0)
        return false;
    pollfd watch{m_descriptor, POLLPRI, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR));
#else
    return false;
#endif
}
