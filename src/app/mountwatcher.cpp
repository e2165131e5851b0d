// SPDX-License-Identifier: GPL-3.0-or-later
#include "mountwatcher.h"

#include <QSocketNotifier>

MountWatcher::MountWatcher(QObject *parent) : QObject(parent)
{
    if (m_table.descriptor() < 0)
        return;
    m_notifier = new QSocketNotifier(m_table.descriptor(), QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::changed);
}

// The notifier goes before the descriptor it watches is closed.
MountWatcher::~MountWatcher()
{
    delete m_notifier;
}
