#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box that comes up while it lives, with `button`,
// and records their texts, so that a test neither hangs on one nor misses it.
class DialogWatcher : public QObject
{
public:
    explicit DialogWatcher(QMessageBox::StandardButton button = QMessageBox::Cancel)
        : m_button(button)
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
        QAbstractButton *button = box->button(m_button);
        if (!button)
            button = box->buttons().first();
        button->click();
    }

    QMessageBox::StandardButton m_button;
    QTimer m_timer;
};
