// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwindow.h"

#include "linecontrol.h"
#include "plainlabel.h"
#include "programicon.h"
#include "twips.h"
#include "windowlook.h"
#include "windowplacement.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The program icon in a sunken frame that fits it.
QLabel *iconPicture(QWidget *parent, const QPoint &position)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(2);
    picture->setPixmap(programPixmap(32));
    picture->setAccessibleName(QStringLiteral("Tallywick icon"));
    picture->move(position);
    picture->adjustSize();
    return picture;
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("About"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About Tallywick v1"));
    setWindowIcon(programIcon());
    setFont(dialogFont());
    const Twips twips(this);
    setFixedSize(twips.size(5730, 3555));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips.rect(4200, 3000, 1260, 345));
    cmdOK->setDefault(true);
    picIcon = iconPicture(this, twips.rect(240, 240, 540, 540).topLeft());
    lblDescription = plainLabel(
        this, "lblDescription",
        QStringLiteral("Make list of files for later consultation. It generates intelligent lists "
                       "for inventory of shareware collections, multimedia, etc."),
        twips.rect(1050, 1200, 3885, 930));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTitle =
        plainLabel(this, "lblTitle", QStringLiteral("Tallywick"), twips.rect(1050, 240, 2580, 300));
    lblTitle->setFont(titleFont(12));
    lblTitle->adjustSize();
    lblVersion = plainLabel(this, "lblVersion", QStringLiteral("Version 1.0"),
                            twips.rect(1080, 600, 1380, 300));
    lblVersion->setFont(titleFont(12));
    lblVersion->adjustSize();
    Label1 = plainLabel(this, "Label1", QStringLiteral("Contact: tallywick@example.org"),
                        twips.rect(240, 3240, 2775, 195));
    Label1->adjustSize();
    Label2 = plainLabel(this, "Label2", QStringLiteral("The Tallywick developers"),
                        twips.rect(240, 3000, 2430, 195));
    Label2->adjustSize();
    createEtchedSeparator();

    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);
}

// A dark line with a light one just below it, across the window between
// the description and the lower block: grey and white in a classic light
// theme, the palette's own shades in any other.
void AboutWindow::createEtchedSeparator()
{
    const Twips twips(this);
    separatorLine[1] = new LineControl(this, 1, QPalette::Dark);
    separatorLine[1]->setGeometry(twips.x(90), twips.y(2445), twips.x(5654 - 90), 1);
    separatorLine[0] = new LineControl(this, 2, QPalette::Light);
    separatorLine[0]->setGeometry(twips.x(105), twips.y(2460), twips.x(5654 - 105), 2);
    separatorLine[1]->setObjectName(QStringLiteral("Line1"));
    separatorLine[0]->setObjectName(QStringLiteral("Line1"));
}

void AboutWindow::loadForm()
{
    centreOnScreen(this);
    show();
}

void AboutWindow::reject()
{
    cmdOK_Click();
}

// Unloads the window; done() closes it also when the close began in the
// window's frame.
void AboutWindow::cmdOK_Click()
{
    done(Accepted);
}
