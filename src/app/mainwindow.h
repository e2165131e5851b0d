// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue.h"
#include "drivelist.h"
#include "reportfolder.h"
#include "runcontrol.h"
#include "runwindow.h"
#include "windowfrontend.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class AboutWindow;
class DirListModel;
class DirListView;
class DriveBox;
class FileListModel;
class FrameControl;
class HelpWindow;
class LostWindowWatcher;
class LineControl;
class QAction;
class QCheckBox;
class QLabel;
class QListView;
class QMenu;
class QModelIndex;
class QPushButton;

// The main window: the drive, directory and file lists, the four category
// check boxes, the Create/Cancel and Exit buttons and the Info menu. Its
// directory and file lists are the walk's cursor during a run.
class MainWindow : public QMainWindow, public RunWindow
{
    Q_OBJECT

public:
    // `reportFolder` receives the reports; tests pass a folder of their own.
    explicit MainWindow(ReportFolder reportFolder = ReportFolder::standard(),
                        DriveList drives = DriveList::systemDrives());
    ~MainWindow() override;

    // Opens the directory at `path` in the directory list, as a double click
    // on it does.
    void openFolder(const QByteArray &path);

    // Ends the program at once, when it is ending in a way that leaves no
    // time for windows: the walk writes nothing more, the report is closed.
    void stopForSuddenEnd();

    // The mount table has changed: the drive list shows `drives`, the volumes
    // mounted now. During a run this waits for the run's end.
    void followDrives(DriveList drives);

    const DirectoryCursor &cursor() const { return m_catalogue.cursor; }
    const RunControl &runControl() const { return m_run; }
    const QString &lastDriveText() const { return lastDrive; }

    // The run's view of the window.
    void setCreateButtonCaption(const QString &caption) override;
    void setControlEnabled(RunLockControl control, bool enabled) override;
    CategorySwitches categorySwitches() const override;
    void runStateChanged() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private Q_SLOTS:
    void driveChanged();
    void createButtonClicked();
    void exitButtonClicked();
    void exitTriggered();
    void helpTriggered();
    void aboutTriggered();
    void directoryActivated(const QModelIndex &index);

private:
    void createControls(DriveList drives);
    void createCheckBoxes();
    void createButtons();
    void createMenu();
    void setTabOrders();
    void connectHandlers();

    void loadForm();
    void showDrives(DriveList drives);
    void directoryChanged();
    void setDirPath(const QByteArray &path);
    void refreshLists();
    void showProgress();
    void showStatus();
    void endProgram(int exitCode);
    bool isSecondClickOfCancel() const;
    bool deferredUntilWalkEnds(std::function<void()> action);
    void reportUntrappedError(const QString &description);

    // The controls. Their object names, which tests and assistive tools find
    // them by, are those of the window's design (doc/ARCHITECTURE.md).
    QLabel *driveLabel = nullptr;
    DriveBox *driveBox = nullptr;
    DirListView *directoryView = nullptr;
    QListView *fileView = nullptr;
    FrameControl *categoryFrame = nullptr;
    QCheckBox *graphicBox = nullptr;
    QCheckBox *musicBox = nullptr;
    QCheckBox *videoBox = nullptr;
    QCheckBox *installBox = nullptr;
    QPushButton *createButton = nullptr;
    QPushButton *exitButton = nullptr;
    LineControl *separatorLine = nullptr;
    QMenu *infoMenu = nullptr;
    QAction *helpAction = nullptr;
    QAction *aboutAction = nullptr;
    QAction *menuSeparator = nullptr;
    QAction *exitAction = nullptr;

    // The drive shown when the directory list last changed.
    QString lastDrive;

    DirListModel *m_dirModel = nullptr;
    FileListModel *m_fileModel = nullptr;
    WindowFrontEnd m_frontEnd;
    Catalogue m_catalogue{m_frontEnd}; // its lists are the ones shown
    RunControl m_run;
    QPointer<HelpWindow> m_help;
    QPointer<AboutWindow> m_about;
    std::unique_ptr<LostWindowWatcher> m_lostWindow;
    QElapsedTimer m_cancelClicked; // since the last Cancel click
    std::optional<DriveList> m_drivesAfterRun;
    std::vector<std::function<void()>> m_afterWalk; // input put off while the walk moves the lists
    bool m_ending = false;
};
