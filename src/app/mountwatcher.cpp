#include "mountwatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

MountWatcher::MountWatcher(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    m_table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (m_table < 0)
        return;
    m_notifier = new QSocketNotifier(m_table, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::changed);
#endif
}

MountWatcher::~MountWatcher()
{
#ifdef Q_OS_LINUX
    delete m_notifier;
    if (m_table >= 0)
        ::close(m_table);
#endif
}
