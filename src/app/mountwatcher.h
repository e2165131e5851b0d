#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when a volume has been mounted or unmounted. On Linux the kernel
// marks /proc/self/mountinfo with an exceptional condition (POLLPRI) at
// every change of the mount table; elsewhere nothing is watched.
class MountWatcher : public QObject
{
    Q_OBJECT

public:
    explicit MountWatcher(QObject *parent = nullptr);
    ~MountWatcher() override;

Q_SIGNALS:
    void changed();

private:
    int m_table = -1;
    QSocketNotifier *m_notifier = nullptr;
};
