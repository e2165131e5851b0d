// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mounttablewatch.h"

#include <QObject>

class QSocketNotifier;

// Signals when a volume has been mounted or unmounted, as the system's
// mount table watch tells the event loop; where nothing is watched, never.
class MountWatcher : public QObject
{
    Q_OBJECT

public:
    explicit MountWatcher(QObject *parent = nullptr);
    ~MountWatcher() override;

Q_SIGNALS:
    void changed();

private:
    MountTableWatch m_table;
    QSocketNotifier *m_notifier = nullptr;
};
