// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "aboutwindow.h"
#include "dirlistmodel.h"
#include "dirlistview.h"
#include "drivebox.h"
#include "filelistmodel.h"
#include "helpwindow.h"
#include "lostwindowwatcher.h"
#include "messagebox.h"
#include "mountwatcher.h"
#include "programicon.h"
#include "readabletooltips.h"
#include "runtimeerror.h"
#include "statusfit.h"
#include "windowlook.h"
#include "windowplacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

MainWindow::MainWindow(ReportFolder reportFolder, DriveList drives)
    : m_frontEnd(this,
                 {[this] { showProgress(); }, [this] { showStatus(); }, [this] { endProgram(1); }}),
      m_run(*this, m_catalogue, std::move(reportFolder))
{
    setObjectName(QStringLiteral("lector01"));
    setWindowTitle(QStringLiteral("Tallywick v1"));
    setWindowIcon(programIcon());
    setFont(dialogFont());
    setPalette(withoutInactiveLook(palette()));
    new ReadableToolTips(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    createControls(std::move(drives));
    createMenu();
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    setTabOrders();
    connectHandlers();
    loadForm();
    driveBox->setFocus();
    centreOnScreen(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::connectHandlers()
{
    m_catalogue.cursor.setChangeHandler([this] { directoryChanged(); });
    connect(driveBox, &QComboBox::currentIndexChanged, this, &MainWindow::driveChanged);
    connect(directoryView, &DirListView::activated, this, &MainWindow::directoryActivated);
    connect(createButton, &QPushButton::clicked, this, &MainWindow::createButtonClicked);
    connect(exitButton, &QPushButton::clicked, this, &MainWindow::exitButtonClicked);
    connect(exitAction, &QAction::triggered, this, &MainWindow::exitTriggered);
    connect(helpAction, &QAction::triggered, this, &MainWindow::helpTriggered);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::aboutTriggered);
    connect(new MountWatcher(this), &MountWatcher::changed, this,
            [this] { followDrives(DriveList::systemDrives()); });
    // A window destroyed from outside ends the program as Exit does.
    m_lostWindow = std::make_unique<LostWindowWatcher>(this, [this] { endProgram(0); });
}

// Start-up: the drive of the program's folder, and its root in the
// directory list. An error here ends the program in main().
void MainWindow::loadForm()
{
    driveBox->setDrive(QFile::decodeName(programFolder()));
    setDirPath(driveBox->mountPoint());
    lastDrive = driveBox->driveText();
}

// The directory list follows the drive to its root. A drive that cannot be
// shown quietly gives way to the drive shown before. The program's working
// directory stays where it is, so that a volume shown can be unmounted.
void MainWindow::driveChanged()
{
    if (deferredUntilWalkEnds([this] { driveChanged(); }))
        return;
    try {
        setDirPath(driveBox->mountPoint());
    } catch (const RuntimeError &) {
        try {
            driveBox->setDrive(lastDrive);
        } catch (const RuntimeError &) {
            // The drive shown before has gone as well; the list stays as it is.
        }
    }
}

// Every change of the directory list's path comes here before the change
// returns, the file list following it already. The views follow only
// outside a walk.
void MainWindow::directoryChanged()
{
    lastDrive = driveBox->driveText();
    if (!m_run.walkInProgress())
        refreshLists();
}

void MainWindow::followDrives(DriveList drives)
{
    if (m_run.walkInProgress())
        m_drivesAfterRun = std::move(drives);
    else
        showDrives(std::move(drives));
}

// The walk moves the lists, and a Cancel leaves them part-way through a
// move until the walk has unwound: what would move them meanwhile (a click
// that reached the lists as the Cancel unlocked them) waits for the end of
// the walk. True when `action` has been put off.
bool MainWindow::deferredUntilWalkEnds(std::function<void()> action)
{
    if (!m_run.walkInProgress())
        return false;
    m_afterWalk.push_back(std::move(action));
    return true;
}

// The selected drive stays selected while it is mounted; when it has gone,
// the drive of the program's folder is shown, as at start-up.
void MainWindow::showDrives(DriveList drives)
{
    const QString selected = driveBox->driveText();
    const QSignalBlocker quiet(driveBox);
    driveBox->setDrives(std::move(drives));
    const qint64 kept = driveBox->drives().indexOfText(selected);
    if (kept >= 0) {
        driveBox->setCurrentIndex(int(kept));
        return;
    }
    try {
        driveBox->setDrive(QFile::decodeName(programFolder()));
    } catch (const RuntimeError &) {
        // No drive holds the program's folder any more: the first one is shown.
    }
    driveChanged();
}

void MainWindow::directoryActivated(const QModelIndex &index)
{
    openFolder(m_dirModel->path(index));
}

void MainWindow::openFolder(const QByteArray &path)
{
    if (deferredUntilWalkEnds([this, path] { openFolder(path); }))
        return;
    if (path.isEmpty() || path == m_catalogue.cursor.dir.Path())
        return;
    try {
        setDirPath(path);
    } catch (const RuntimeError &error) {
        showMessageBox(this, error.description(), MessageStyle::Critical, QString());
        refreshLists();
    }
}

void MainWindow::setDirPath(const QByteArray &path)
{
    m_catalogue.cursor.dir.setPath(path);
}

void MainWindow::createButtonClicked()
{
    if (isSecondClickOfCancel())
        return;
    if (m_run.phase() == RunPhase::Walking)
        m_cancelClicked.start();
    try {
        m_run.createButtonClicked();
    } catch (const RuntimeError &error) {
        reportUntrappedError(error.description());
    }
}

// A double click on Cancel: its second click may come when the cancelled
// walk has returned, where a click starts a new run; it must not.
bool MainWindow::isSecondClickOfCancel() const
{
    return m_cancelClicked.isValid() &&
           m_cancelClicked.elapsed() < QApplication::doubleClickInterval();
}

void MainWindow::exitButtonClicked()
{
    endProgram(0);
}

void MainWindow::exitTriggered()
{
    endProgram(0);
}

void MainWindow::helpTriggered()
{
    if (m_help)
        return; // loaded already
    m_help = new HelpWindow(m_run.reportFolder(), this);
    m_help->loadForm();
}

void MainWindow::aboutTriggered()
{
    if (m_about)
        return; // loaded already
    m_about = new AboutWindow(this);
    m_about->loadForm();
}

// Showing a window forgets that its focus came from the keyboard; the focus
// frame is to show from the start all the same.
// The status line shows the state of the last run. The menus have no status
// tips, and hovering them would clear it: what they send is dropped.
bool MainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

// Closing the window through its frame during a run ends the program as
// Exit does; otherwise the window just goes, and the program with its last
// window.
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_ending && m_run.walkInProgress())
        endProgram(0);
    event->accept();
}

void MainWindow::setCreateButtonCaption(const QString &caption)
{
    createButton->setText(caption);
}

void MainWindow::setControlEnabled(RunLockControl control, bool enabled)
{
    switch (control) {
    case RunLockControl::exitButton:
        return exitButton->setEnabled(enabled);
    case RunLockControl::musicBox:
        return musicBox->setEnabled(enabled);
    case RunLockControl::graphicBox:
        return graphicBox->setEnabled(enabled);
    case RunLockControl::installBox:
        return installBox->setEnabled(enabled);
    case RunLockControl::videoBox:
        return videoBox->setEnabled(enabled);
    case RunLockControl::driveBox:
        return driveBox->setEnabled(enabled);
    case RunLockControl::directoryView:
        return directoryView->setEnabled(enabled);
    }
}

CategorySwitches MainWindow::categorySwitches() const
{
    return {graphicBox->isChecked(), musicBox->isChecked(), videoBox->isChecked(),
            installBox->isChecked()};
}

// At the end of a run the focus goes back to Create, wherever the lock had
// pushed it.
void MainWindow::runStateChanged()
{
    showProgress();
    if (m_run.phase() != RunPhase::Walking)
        createButton->setFocus(Qt::OtherFocusReason);
    if (m_run.walkInProgress())
        return;
    if (m_drivesAfterRun)
        showDrives(*std::exchange(m_drivesAfterRun, std::nullopt));
    for (const std::function<void()> &action : std::exchange(m_afterWalk, {}))
        action();
}

// The lists are shown only where they agree: not while the walk is in the
// middle of moving them.
void MainWindow::showProgress()
{
    showStatus();
    if (m_catalogue.cursor.isSettled())
        refreshLists();
}

// QStatusBar draws its message from 6 pixels inside its left edge to 12
// pixels inside its right one.
constexpr int StatusMessageMargins = 6 + 12;

// The status line fits the window; its tool tip holds the whole line.
void MainWindow::showStatus()
{
    const RunProgress progress = m_run.progress();
    const int width = statusBar()->width() - StatusMessageMargins;
    statusBar()->showMessage(fittedStatusText(progress, statusBar()->fontMetrics(), width));
    statusBar()->setToolTip(statusText(progress));
}

void MainWindow::refreshLists()
{
    m_dirModel->refresh(driveBox->mountPoint());
    for (QModelIndex folder = m_dirModel->pathIndex(); folder.isValid(); folder = folder.parent())
        directoryView->expand(folder);
    directoryView->setCurrentIndex(m_dirModel->pathIndex());
    directoryView->scrollTo(m_dirModel->pathIndex());
    m_fileModel->refresh();
    // An idle window holds no directory open: its volume can be unmounted.
    if (!m_run.walkInProgress())
        m_catalogue.cursor.cache.releaseHandles();
}

// Ends the program: the walk stops writing, the report is closed with what
// it holds, every window goes and the event loop ends.
void MainWindow::endProgram(int exitCode)
{
    if (m_ending)
        return;
    m_ending = true;
    try {
        m_run.stopForProgramEnd();
    } catch (const RuntimeError &error) {
        showMessageBox(this, error.description(), MessageStyle::Critical, QString());
    }
    if (m_help)
        m_help->close();
    if (m_about)
        m_about->close();
    close();
    QCoreApplication::exit(exitCode);
}

void MainWindow::stopForSuddenEnd()
{
    m_ending = true;
    try {
        m_run.stopForProgramEnd();
    } catch (const RuntimeError &) {
        // Nothing is left to show the error in.
    }
}

// An error no handler expects: it is shown, and the program ends.
void MainWindow::reportUntrappedError(const QString &description)
{
    showMessageBox(this, description, MessageStyle::Critical, QString());
    endProgram(1);
}
