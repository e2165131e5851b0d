// SPDX-License-Identifier: GPL-3.0-or-later
#include "messagebox.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {

struct BoxLook
{
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

BoxLook lookOf(MessageStyle style)
{
    switch (style) {
    case MessageStyle::YesNoCancelQuestion:
        return {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel};
    case MessageStyle::YesNoQuestion:
        return {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No};
    case MessageStyle::Critical:
        return {QMessageBox::Critical, QMessageBox::Ok};
    case MessageStyle::Plain:
        break;
    }
    return {QMessageBox::NoIcon, QMessageBox::Ok};
}

MessageAnswer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

QString boxText(const QString &prompt)
{
    QString text = prompt;
    text.replace(QChar(13), QChar(10));
    return text;
}

QString boxTitle(const QString &title)
{
    return title.isEmpty() ? QStringLiteral("Tallywick") : title;
}

std::unique_ptr<QMessageBox> makeBox(QWidget *parent, const QString &text, MessageStyle style,
                                     const QString &title)
{
    const BoxLook look = lookOf(style);
    auto box = std::make_unique<QMessageBox>(look.icon, title, text, look.buttons, parent);
    box->setTextFormat(Qt::PlainText);
    return box;
}

// A box shown again keeps the focus on the button pressed last, which would
// make Enter answer with it: every showing starts on the first button, Yes
// or OK, as the default and with the focus.
MessageAnswer execOnFirstButton(QMessageBox &box)
{
    const QMessageBox::StandardButton first =
        box.button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    box.setDefaultButton(first);
    box.button(first)->setFocus(Qt::OtherFocusReason);
    return answerOf(box.exec());
}

} // namespace

MessageAnswer showMessageBox(QWidget *parent, const QString &prompt, MessageStyle style,
                             const QString &title)
{
    return execOnFirstButton(*makeBox(parent, boxText(prompt), style, boxTitle(title)));
}

MessageBoxes::MessageBoxes() = default;

MessageBoxes::~MessageBoxes() = default;

MessageAnswer MessageBoxes::show(QWidget *parent, const QString &prompt, MessageStyle style,
                                 const QString &title)
{
    const QString text = boxText(prompt);
    if (!canReuse(parent, text, style, boxTitle(title))) {
        m_last = makeBox(parent, text, style, boxTitle(title));
        m_lastStyle = style;
    }
    return execOnFirstButton(*m_last);
}

bool MessageBoxes::canReuse(QWidget *parent, const QString &text, MessageStyle style,
                            const QString &title) const
{
    return m_last && m_last->parentWidget() == parent && m_lastStyle == style &&
           m_last->text() == text && m_last->windowTitle() == title;
}
