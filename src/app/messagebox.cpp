#include "messagebox.h"

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

} // namespace

MessageAnswer showMessageBox(QWidget *parent, const QString &prompt, MessageStyle style,
                             const QString &title)
{
    const BoxLook look = lookOf(style);
    QString text = prompt;
    text.replace(QChar(13), QChar(10));
    QMessageBox box(look.icon, title.isEmpty() ? QStringLiteral("Tallywick") : title, text,
                    look.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(look.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes
                                                                 : QMessageBox::Ok);
    return answerOf(box.exec());
}
