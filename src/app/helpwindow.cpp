// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpwindow.h"

#include "helptexts.h"
#include "plainlabel.h"
#include "programicon.h"
#include "twips.h"
#include "windowlook.h"
#include "windowplacement.h"

#include <QLabel>
#include <QPushButton>

namespace {

// A caption that sizes itself to its text.
QLabel *caption(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    QLabel *caption = plainLabel(parent, name, text, geometry);
    caption->adjustSize();
    return caption;
}

// The smallest size a panel's text is set in to fit.
constexpr qreal SmallestPointSize = 5;

// Sets the panel's text smaller until it fits the panel whole: the panel
// keeps its place and size whatever the fonts of the system.
void fitText(QLabel *panel)
{
    QFont font = panel->font();
    const QRect room = panel->contentsRect();
    const int flags = int(panel->alignment()) | Qt::TextWordWrap;
    for (;;) {
        const QRect needed = QFontMetrics(font).boundingRect(room, flags, panel->text());
        const bool fits = needed.height() <= room.height() && needed.width() <= room.width();
        if (fits || font.pointSizeF() - 0.5 < SmallestPointSize)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    panel->setFont(font);
}

// A text panel: the palette's alternate base behind its text colour, the
// text wrapped at word boundaries, and small enough to be read whole.
QLabel *textPanel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    QLabel *panel = plainLabel(parent, name, text, geometry);
    panel->setWordWrap(true);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fitText(panel);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::AlternateBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
    panel->setPalette(colours);
    return panel;
}

} // namespace

HelpWindow::HelpWindow(const ReportFolder &reportFolder, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Help"));
    setWindowIcon(programIcon());
    setFont(dialogFont());
    const Twips twips(this);
    resize(twips.size(5280, 5040));

    lblLabel1 = plainLabel(this, "lblLabel1", QStringLiteral("Quick Help"),
                           twips.rect(120, 120, 1575, 360));
    lblLabel1->setFont(titleFont(13.5));
    lblLabel1->adjustSize();
    lblLabel3 =
        caption(this, "lblLabel3", QStringLiteral("History"), twips.rect(240, 720, 480, 195));
    Label2 = caption(this, "Label2", QStringLiteral("Help"), twips.rect(240, 3037, 330, 195));
    cmdCommand1 = new QPushButton(QStringLiteral("&OK"), this);
    cmdCommand1->setObjectName(QStringLiteral("cmdCommand1"));
    cmdCommand1->setGeometry(twips.rect(2280, 4440, 615, 495));
    // The one control that takes the focus: Enter and the space bar click it.
    cmdCommand1->setAutoDefault(true);
    Label1 =
        textPanel(this, "Label1", quickHelpText(reportFolder), twips.rect(158, 3285, 4935, 855));
    lblLabel2 = textPanel(this, "lblLabel2", historyText(), twips.rect(158, 960, 4965, 2025));

    connect(cmdCommand1, &QPushButton::clicked, this, &HelpWindow::cmdCommand1_Click);
}

void HelpWindow::loadForm()
{
    centreOnScreen(this);
    show();
    cmdCommand1->setFocus();
}

void HelpWindow::cmdCommand1_Click()
{
    close();
}
