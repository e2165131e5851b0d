// SPDX-License-Identifier: GPL-3.0-or-later
#include "lostwindowwatcher.h"

#include <QCoreApplication>
#include <QWidget>

namespace {

// The start of an X DestroyNotify event as the X protocol lays it out.
struct DestroyNotifyEvent
{
    quint8 responseType; // 17; the high bit set when another client sent it
    quint8 unused;
    quint16 sequence;
    quint32 event;
    quint32 window;
};

constexpr quint8 DestroyNotify = 17;
constexpr quint8 SentByClient = 0x80;

} // namespace

LostWindowWatcher::LostWindowWatcher(const QWidget *window, std::function<void()> windowLost)
    : m_window(window), m_windowLost(std::move(windowLost))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

LostWindowWatcher::~LostWindowWatcher()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool LostWindowWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_window->testAttribute(Qt::WA_WState_Created))
        return false;
    const auto *event = static_cast<const DestroyNotifyEvent *>(message);
    if ((event->responseType & ~SentByClient) == DestroyNotify &&
        event->window == quint32(m_window->winId()))
        m_windowLost();
    return false;
}
