// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>

#include <functional>

class QWidget;

// Tells when the native window of `window` is destroyed from outside the
// program (another X client calling XDestroyWindow on it), which Qt itself
// does not notice: the program would go on with no window to end it by.
// While it lives it filters the application's native events.
class LostWindowWatcher : public QAbstractNativeEventFilter
{
public:
    LostWindowWatcher(const QWidget *window, std::function<void()> windowLost);
    ~LostWindowWatcher() override;

    LostWindowWatcher(const LostWindowWatcher &) = delete;
    LostWindowWatcher &operator=(const LostWindowWatcher &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    const QWidget *m_window;
    std::function<void()> m_windowLost;
};
