// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box that comes up while it lives, with Cancel (or
// its first button), and records their texts, so that a test neither hangs
// on one nor misses it.
class DialogWatcher : public QObject
{
public:
    DialogWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogWatcher::answer);
        m_timer.start(10);
    }

    QStringList texts;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        texts << box->text();
        QAbstractButton *cancel = box->button(QMessageBox::Cancel);
        (cancel ? cancel : box->buttons().first())->click();
    }

    QTimer m_timer;
};
