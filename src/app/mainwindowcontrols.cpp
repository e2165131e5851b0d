// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls, menu and tab order as designed. Positions and
// sizes are in twips, relative to the control's container.

#include "mainwindow.h"

#include "dirlistmodel.h"
#include "dirlistview.h"
#include "drivebox.h"
#include "filelistmodel.h"
#include "folderkind.h"
#include "framecontrol.h"
#include "linecontrol.h"
#include "twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int ClientWidth = 4140;
constexpr int ClientHeight = 5580;

template <typename Control>
Control *place(Control *control, const char *name, const QRect &geometry)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

// A category box's tool tip: its report marker in double quotes, then what
// makes a directory a collection of that kind.
QString categoryTip(FolderKind kind, const char *rule)
{
    return QLatin1Char('"') + kindMarker(kind) + QLatin1Char('"') + QLatin1String(rule);
}

QCheckBox *checkBox(QWidget *frame, const char *name, const QString &caption, const QRect &geometry,
                    const QString &tip)
{
    QCheckBox *box = place(new QCheckBox(caption, frame), name, geometry);
    box->setChecked(true);
    box->setToolTip(tip);
    // A caption wider than the designed box, in a wide system font, is not cut.
    box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
    return box;
}

// The first report file as the Create button's tool tip names it.
QString firstReportTip(const ReportFolder &folder)
{
#ifdef Q_OS_WIN
    if (folder.displayName() == QLatin1String("C:\\"))
        return QStringLiteral("c:\\file-report01.txt");
#endif
    return folder.displayName() + reportFileName(ReportFolder::FirstNumber);
}

} // namespace

void MainWindow::createControls(DriveList drives)
{
    auto *client = new QWidget(this);
    const Twips twips(client);
    client->setFixedSize(twips.size(ClientWidth, ClientHeight));
    setCentralWidget(client);

    driveLabel = place(new QLabel(QStringLiteral("Select Drive: "), client), "seldrive",
                       twips.rect(240, 360, 960, 195));
    driveLabel->adjustSize(); // the label sizes itself to its text

    driveBox = place(new DriveBox(client), "Drive", twips.rect(1320, 240, 2535, 315));
    driveBox->setDrives(std::move(drives));
    driveBox->setToolTip(QStringLiteral("Select the drive and directory to scan files."));
    // A screen reader names the drive list by its label and the other lists
    // by names of their own; the other controls go by their captions. Each
    // control is described by its tool tip.
    driveLabel->setBuddy(driveBox);

    directoryView = place(new DirListView(client), "Dir", twips.rect(240, 720, 3615, 1665));
    directoryView->setToolTip(QStringLiteral("Select directory with double click."));
    directoryView->setAccessibleName(QStringLiteral("Directory"));
    directoryView->setAccessibleDescription(directoryView->toolTip());
    directoryView->setIndentation(twips.x(180));
    m_dirModel = new DirListModel(m_catalogue.cursor.dir, this);
    m_dirModel->setIcons(style()->standardIcon(QStyle::SP_DirOpenIcon),
                         style()->standardIcon(QStyle::SP_DirClosedIcon));
    directoryView->setModel(m_dirModel);

    fileView = place(new QListView(client), "archivos", twips.rect(240, 2520, 3615, 1260));
    fileView->setUniformItemSizes(true);
    fileView->setAccessibleName(QStringLiteral("Files"));
    fileView->setIconSize(QSize(16, 16));
    m_fileModel = new FileListModel(m_catalogue.cursor.files, this);
    m_fileModel->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    fileView->setModel(m_fileModel);

    categoryFrame = place(new FrameControl(QStringLiteral("Group "), client), "checa",
                          twips.rect(240, 3960, 1815, 1335));
    categoryFrame->setToolTip(
        QStringLiteral("Deselect if you want a full list of your files in each directory."));
    createCheckBoxes();
    createButtons();

    separatorLine = place(new LineControl(client), "Line1", QRect(0, 0, twips.x(4320), 1));
}

void MainWindow::createCheckBoxes()
{
    const Twips twips(categoryFrame);
    graphicBox = checkBox(categoryFrame, "chg", QStringLiteral("Graphic Files"),
                          twips.rect(240, 240, 1215, 255),
                          categoryTip(FolderKind::Graphic,
                                      " in the report if JPG/GIF/BMP/PCX files > 80% of total."));
    musicBox = checkBox(categoryFrame, "chm", QStringLiteral("Music Files"),
                        twips.rect(240, 480, 1095, 255),
                        categoryTip(FolderKind::Music,
                                    " in the report if MP3/MP2/WAV/MID/MOD files > 80% of total."));
    videoBox = checkBox(
        categoryFrame, "chv", QStringLiteral("Video Files"), twips.rect(240, 720, 1095, 255),
        categoryTip(FolderKind::Video, " in the report if MPG/MOV/AVI/FLI files > 80% of total."));
    installBox = checkBox(
        categoryFrame, "chi", QStringLiteral("Install Files"), twips.rect(240, 960, 1095, 255),
        categoryTip(FolderKind::Install,
                    " in the report (interactive) if EXE files are present. Useful "
                    "when one SETUP.EXE and hundred of dat-files."));
}

void MainWindow::createButtons()
{
    QWidget *client = centralWidget();
    const Twips twips(client);
    createButton = place(new QPushButton(RunControl::buttonCaption(RunPhase::Idle), client),
                         "botOK", twips.rect(2640, 4080, 1215, 495));
    createButton->setToolTip(QStringLiteral("Report will be writen on ") +
                             firstReportTip(m_run.reportFolder()));
    exitButton = place(new QPushButton(QStringLiteral("&Exit"), client), "botcancel",
                       twips.rect(2640, 4800, 1215, 495));
    exitButton->setToolTip(QStringLiteral("Adios!!"));
    for (QPushButton *button : {createButton, exitButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void MainWindow::createMenu()
{
    infoMenu = menuBar()->addMenu(QStringLiteral("&Info"));
    infoMenu->setObjectName(QStringLiteral("op1"));
    helpAction = infoMenu->addAction(QStringLiteral("&Help"));
    helpAction->setObjectName(QStringLiteral("op4"));
    aboutAction = infoMenu->addAction(QStringLiteral("&About"));
    aboutAction->setObjectName(QStringLiteral("op2"));
    menuSeparator = infoMenu->addSeparator();
    menuSeparator->setObjectName(QStringLiteral("separa"));
    exitAction = infoMenu->addAction(QStringLiteral("&Exit"));
    exitAction->setObjectName(QStringLiteral("op3"));
}

// The label before the drive list and the frame take no focus: the tab
// order runs through the controls that do.
void MainWindow::setTabOrders()
{
    const QList<QWidget *> order = {driveBox, directoryView, fileView,     graphicBox, musicBox,
                                    videoBox, installBox,    createButton, exitButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}
