#include "lector01.h"

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

lector01::lector01(ReportFolder reportFolder, DriveList drives)
    : m_frontEnd(this,
                 {[this] { showProgress(); }, [this] { showStatus(); }, [this] { endProgram(1); }}),
      m_run(*this, m_cursor, m_frontEnd, std::move(reportFolder))
{
    setObjectName(QStringLiteral("lector01"));
    setWindowTitle(QStringLiteral("Tallywick v1"));
    setWindowIcon(programIcon());
    setFont(dialogFont());
    setPalette(withoutInactiveLook(palette()));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    createControls(std::move(drives));
    createMenu();
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    setTabOrders();
    connectHandlers();
    Form_Load();
    Drive->setFocus();
    centreOnScreen(this);
}

lector01::~lector01() = default;

void lector01::connectHandlers()
{
    m_cursor.dir.setChangeHandler([this] { Dir_Change(); });
    connect(Drive, &QComboBox::currentIndexChanged, this, &lector01::Drive_Change);
    connect(Dir, &DirListView::activated, this, &lector01::Dir_Activated);
    connect(botOK, &QPushButton::clicked, this, &lector01::botOK_Click);
    connect(botcancel, &QPushButton::clicked, this, &lector01::botcancel_Click);
    connect(op3, &QAction::triggered, this, &lector01::op3_Click);
    connect(op4, &QAction::triggered, this, &lector01::op4_Click);
    connect(op2, &QAction::triggered, this, &lector01::op2_Click);
    connect(new MountWatcher(this), &MountWatcher::changed, this,
            [this] { followDrives(DriveList::systemDrives()); });
    // A window destroyed from outside ends the program as Exit does.
    m_lostWindow = std::make_unique<LostWindowWatcher>(this, [this] { endProgram(0); });
}

// Start-up: the drive of the program's folder, and its root in the
// directory list. An error here ends the program in main().
void lector01::Form_Load()
{
    Drive->setDrive(QFile::decodeName(programFolder()));
    setDirPath(Drive->mountPoint());
    lastDrive = Drive->Drive();
}

// The directory list follows the drive to its root. A drive that cannot be
// shown quietly gives way to the drive shown before. The program's working
// directory stays where it is, so that a volume shown can be unmounted.
void lector01::Drive_Change()
{
    if (deferredUntilWalkEnds([this] { Drive_Change(); }))
        return;
    try {
        setDirPath(Drive->mountPoint());
    } catch (const RuntimeError &) {
        try {
            Drive->setDrive(lastDrive);
        } catch (const RuntimeError &) {
            // The drive shown before has gone as well; the list stays as it is.
        }
    }
}

// Every change of the directory list's path comes here before the change
// returns: the file list follows it. The views follow only outside a walk.
void lector01::Dir_Change()
{
    m_cursor.files.setPath(m_cursor.dir.Path());
    lastDrive = Drive->Drive();
    if (!m_run.walkInProgress())
        refreshLists();
}

void lector01::followDrives(DriveList drives)
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
bool lector01::deferredUntilWalkEnds(std::function<void()> action)
{
    if (!m_run.walkInProgress())
        return false;
    m_afterWalk.push_back(std::move(action));
    return true;
}

// The selected drive stays selected while it is mounted; when it has gone,
// the drive of the program's folder is shown, as at start-up.
void lector01::showDrives(DriveList drives)
{
    const QString selected = Drive->Drive();
    const QSignalBlocker quiet(Drive);
    Drive->setDrives(std::move(drives));
    const qint64 kept = Drive->drives().indexOfText(selected);
    if (kept >= 0) {
        Drive->setCurrentIndex(int(kept));
        return;
    }
    try {
        Drive->setDrive(QFile::decodeName(programFolder()));
    } catch (const RuntimeError &) {
        // No drive holds the program's folder any more: the first one is shown.
    }
    Drive_Change();
}

void lector01::Dir_Activated(const QModelIndex &index)
{
    openFolder(m_dirModel->path(index));
}

void lector01::openFolder(const QByteArray &path)
{
    if (deferredUntilWalkEnds([this, path] { openFolder(path); }))
        return;
    if (path.isEmpty() || path == m_cursor.dir.Path())
        return;
    try {
        setDirPath(path);
    } catch (const RuntimeError &error) {
        showMessageBox(this, error.description(), MessageStyle::Critical, QString());
        refreshLists();
    }
}

void lector01::setDirPath(const QByteArray &path)
{
    m_cursor.dir.setPath(path);
}

void lector01::botOK_Click()
{
    if (isSecondClickOfCancel())
        return;
    if (botOKCaption() == QLatin1String("&Cancel"))
        m_cancelClicked.start();
    try {
        m_run.botOK_Click();
    } catch (const RuntimeError &error) {
        reportUntrappedError(error.description());
    }
}

// A double click on Cancel: its second click finds the button reading
// "&Create" again, and must not start a new run.
bool lector01::isSecondClickOfCancel() const
{
    return m_cancelClicked.isValid() &&
           m_cancelClicked.elapsed() < QApplication::doubleClickInterval();
}

void lector01::botcancel_Click()
{
    endProgram(0);
}

void lector01::op3_Click()
{
    endProgram(0);
}

void lector01::op4_Click()
{
    if (m_help)
        return; // loaded already
    m_help = new HelpWindow(m_run.reportFolder(), this);
    m_help->Form_Load();
}

void lector01::op2_Click()
{
    if (m_about)
        return; // loaded already
    m_about = new AboutWindow(this);
    m_about->Form_Load();
}

// Showing a window forgets that its focus came from the keyboard; the focus
// frame is to show from the start all the same.
void lector01::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

// Closing the window through its frame during a run ends the program as
// Exit does; otherwise the window just goes, and the program with its last
// window.
void lector01::closeEvent(QCloseEvent *event)
{
    if (!m_ending && m_run.walkInProgress())
        endProgram(0);
    event->accept();
}

QString lector01::botOKCaption() const
{
    return botOK->text();
}

void lector01::setBotOKCaption(const QString &caption)
{
    botOK->setText(caption);
}

void lector01::setControlEnabled(RunLockControl control, bool enabled)
{
    switch (control) {
    case RunLockControl::botcancel:
        return botcancel->setEnabled(enabled);
    case RunLockControl::chm:
        return chm[0]->setEnabled(enabled);
    case RunLockControl::chg:
        return chg[1]->setEnabled(enabled);
    case RunLockControl::chi:
        return chi[2]->setEnabled(enabled);
    case RunLockControl::chv:
        return chv[0]->setEnabled(enabled);
    case RunLockControl::Drive:
        return Drive->setEnabled(enabled);
    case RunLockControl::Dir:
        return Dir->setEnabled(enabled);
    }
}

CategorySwitches lector01::categorySwitches() const
{
    return {chg[1]->isChecked(), chm[0]->isChecked(), chv[0]->isChecked(), chi[2]->isChecked()};
}

// At the end of a run the focus goes back to Create, wherever the lock had
// pushed it.
void lector01::runStateChanged()
{
    showProgress();
    if (botOKCaption() != QLatin1String("&Cancel"))
        botOK->setFocus(Qt::OtherFocusReason);
    if (m_run.walkInProgress())
        return;
    if (m_drivesAfterRun)
        showDrives(*std::exchange(m_drivesAfterRun, std::nullopt));
    for (const std::function<void()> &action : std::exchange(m_afterWalk, {}))
        action();
}

// The lists are shown only where they agree: not while the walk is in the
// middle of moving them.
void lector01::showProgress()
{
    showStatus();
    if (m_cursor.isSettled())
        refreshLists();
}

// QStatusBar draws its message from 6 pixels inside its left edge to 12
// pixels inside its right one.
constexpr int StatusMessageMargins = 6 + 12;

// The status line fits the window; its tool tip holds the whole line.
void lector01::showStatus()
{
    const RunProgress progress = m_run.progress();
    const int width = statusBar()->width() - StatusMessageMargins;
    statusBar()->showMessage(fittedStatusText(progress, statusBar()->fontMetrics(), width));
    statusBar()->setToolTip(statusText(progress));
}

void lector01::refreshLists()
{
    m_dirModel->refresh(Drive->mountPoint());
    for (QModelIndex folder = m_dirModel->pathIndex(); folder.isValid(); folder = folder.parent())
        Dir->expand(folder);
    Dir->setCurrentIndex(m_dirModel->pathIndex());
    Dir->scrollTo(m_dirModel->pathIndex());
    m_fileModel->refresh();
    // An idle window holds no directory open: its volume can be unmounted.
    if (!m_run.walkInProgress())
        m_cursor.cache.releaseHandles();
}

// Ends the program: the walk stops writing, the report is closed with what
// it holds, every window goes and the event loop ends.
void lector01::endProgram(int exitCode)
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

void lector01::stopForSuddenEnd()
{
    m_ending = true;
    try {
        m_run.stopForProgramEnd();
    } catch (const RuntimeError &) {
        // Nothing is left to show the error in.
    }
}

// An error no handler expects: it is shown, and the program ends.
void lector01::reportUntrappedError(const QString &description)
{
    showMessageBox(this, description, MessageStyle::Critical, QString());
    endProgram(1);
}
