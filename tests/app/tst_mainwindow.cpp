// The main window: its design, start-up, the three lists, and whole runs
// started and cancelled from the Create button.

#include "dialogwatcher.h"
#include "drivebox.h"
#include "filesize.h"
#include "messagebox.h"
#include "testtree.h"
#include "twips.h"
#include "windowprobe.h"
#include "wine.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QTreeView>

#include <functional>

namespace {

// A root file and `folders` directories of one file each.
void makeTree(TestTree &tree, int folders)
{
    tree.file("top.txt");
    for (int i = 0; i < folders; ++i)
        tree.file(QStringLiteral("d%1/f%1.txt").arg(i, 2, 10, QLatin1Char('0')).toUtf8());
}

// What a screen reader announces a control by: its name; a drop-down list,
// whose name is its value, by the label that labels it.
QString announcedName(QAccessibleInterface *control)
{
    const auto labels = control->relations(QAccessible::Label);
    return control->role() != QAccessible::ComboBox || labels.isEmpty()
               ? control->text(QAccessible::Name)
               : labels.first().first->text(QAccessible::Name);
}

} // namespace

Q_DECLARE_METATYPE(MessageStyle)

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp()
    {
        TestTree reports;
        lector01 window{ReportFolder(reports.native())};
        WindowProbe probe(window);
        auto *drive = probe.control<DriveBox>("Drive");
        const qint64 programDrive = drive->drives().indexOfPath(programFolder());

        QVERIFY(programDrive >= 0);
        QCOMPARE(drive->currentIndex(), int(programDrive));
        QCOMPARE(window.cursor().dir.Path(), drive->drives().List(programDrive).mountPoint);
        QCOMPARE(window.cursor().files.Path(), window.cursor().dir.Path());
        QCOMPARE(window.lastDriveText(), drive->Drive());
        for (const char *name : {"chg", "chm", "chv", "chi"})
            QVERIFY(probe.control<QCheckBox>(name)->isChecked());
        QCOMPARE(probe.caption(), QStringLiteral("&Create"));
        QCOMPARE(window.focusWidget(), drive);
        window.show();
        QVERIFY(window.testAttribute(Qt::WA_KeyboardFocusChange)); // the focus frame is drawn
        QStringList tabOrder;
        for (QWidget *next = drive; tabOrder.size() < 9; next = next->nextInFocusChain()) {
            if (next->focusPolicy() & Qt::TabFocus)
                tabOrder << next->objectName();
        }
        QCOMPARE(tabOrder.join(QLatin1Char(' ')),
                 QStringLiteral("Drive Dir archivos chg chm chv chi botOK botcancel"));
        QVERIFY(!probe.botOK()->isDefault() && !probe.botOK()->autoDefault());
    }

    void controlsAsDesigned_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>(
            "accessibleName"); // what a screen reader announces, if not caption
        QTest::addColumn<QString>("tip");
        const QString none;
        QTest::newRow("seldrive") << QStringLiteral("Select Drive: ") << none << none;
        QTest::newRow("Drive") << none << QStringLiteral("Select Drive: ")
                               << QStringLiteral("Select the drive and directory to scan files.");
        QTest::newRow("Dir") << none << QStringLiteral("Directory")
                             << QStringLiteral("Select directory with double click.");
        QTest::newRow("archivos") << none << QStringLiteral("Files") << none;
        QTest::newRow("checa") << QStringLiteral("Group ") << none
                               << QStringLiteral(
                                      "Deselect if you want a full list of your files in "
                                      "each directory.");
        QTest::newRow("chg") << QStringLiteral("Graphic Files") << none
                             << QStringLiteral("\"graphic-files\" in the report if JPG/GIF/BMP/PCX "
                                               "files > 80% of total.");
        QTest::newRow("chi") << QStringLiteral("Install Files") << none
                             << QStringLiteral(
                                    "\"install-files\" in the report (interactive) if EXE "
                                    "files are present. Useful when one SETUP.EXE and "
                                    "hundred of dat-files.");
        QTest::newRow("botOK") << QStringLiteral("&Create") << none
                               << QStringLiteral("Report will be writen on ") +
                                      QDir::toNativeSeparators(m_designReports.native() +
                                                               QLatin1Char('/')) +
                                      QStringLiteral("file-report01.txt");
        QTest::newRow("botcancel") << QStringLiteral("&Exit") << none << QStringLiteral("Adios!!");
    }

    // The texts of each control, and where a few of them stand, in twips.
    void controlsAsDesigned()
    {
        QFETCH(QString, caption);
        QFETCH(QString, accessibleName);
        QFETCH(QString, tip);
        if (accessibleName.isEmpty())
            accessibleName = QString(caption).remove(QLatin1Char('&'));

        lector01 window{ReportFolder(m_designReports.native())};
        QWidget *control = WindowProbe(window).control(QTest::currentDataTag());
        QVERIFY(control);
        QCOMPARE(control->toolTip(), tip);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QCOMPARE(announcedName(accessible), accessibleName);
        QCOMPARE(accessible->text(QAccessible::Description), tip);
        if (!caption.isEmpty())
            QCOMPARE(
                control->property(qobject_cast<QGroupBox *>(control) ? "title" : "text").toString(),
                caption);
        const Twips twips(control);
        if (control->objectName() == QLatin1String("Dir"))
            QCOMPARE(control->geometry(), twips.rect(240, 720, 3615, 1665));
        if (control->objectName() == QLatin1String("botOK"))
            QCOMPARE(control->geometry(), twips.rect(2640, 4080, 1215, 495));
        if (control->objectName() == QLatin1String("chi")) // sized by its text
            QCOMPARE(control->pos(), twips.rect(240, 960, 0, 0).topLeft());
    }

    void driveNotReadyGoesBackQuietly()
    {
        TestTree tree;
        TestTree reports;
#ifdef Q_OS_WIN
        const QByteArray top = programFolder().left(3); // the program's drive, "C:\\"
#else
        const QByteArray top("/");
#endif
        const DriveEntry root{top, QString()};
        const DriveEntry gone{tree.path("unplugged"), QStringLiteral("STICK")};
        lector01 window{ReportFolder(reports.native()), DriveList({root, gone})};
        auto *drive = WindowProbe(window).control<DriveBox>("Drive");
        DialogWatcher watcher;

        drive->setCurrentIndex(drive->findText(gone.text()));
        QCOMPARE(drive->Drive(), QString::fromUtf8(top));
        QCOMPARE(window.cursor().dir.Path(), top);
        QCOMPARE(window.cursor().files.Path(), top);
        QVERIFY(watcher.texts.isEmpty());
    }

    // A stick plugged in, another volume mounted, the stick unmounted: the list
    // keeps the selection while it is mounted, and the program's working
    // directory never moves onto a volume, nor any of its files stays open there.
    void drivesFollowMountTable()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has drive letters, each with a folder of its own, and no mount table");
#endif
        TestTree tree;
        TestTree reports;
        tree.file("stick/a.txt");
        const DriveEntry root{QByteArrayLiteral("/"), QString()};
        const DriveEntry stick{tree.path("stick"), QStringLiteral("STICK")};
        const DriveEntry other{tree.path("other"), QString()};
        const QString workingDirectory = QDir::currentPath();
        lector01 window{ReportFolder(reports.native()), DriveList({root})};
        auto *drive = WindowProbe(window).control<DriveBox>("Drive");

        window.followDrives(DriveList({root, stick}));
        drive->setCurrentIndex(drive->findText(stick.text()));
        window.followDrives(DriveList({root, other, stick}));
        QCOMPARE(drive->count(), 3);
        QCOMPARE(drive->Drive(), stick.text());
        QCOMPARE(window.cursor().dir.Path(), stick.mountPoint);
        QCOMPARE(QDir::currentPath(), workingDirectory);
        // Nor does it hold the volume open while it shows it.
        for (const QFileInfo &fd :
             QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System))
            QVERIFY2(!fd.symLinkTarget().startsWith(tree.native()), qPrintable(fd.symLinkTarget()));

        window.followDrives(DriveList({root, other}));
        QCOMPARE(drive->Drive(), QStringLiteral("/"));
        QCOMPARE(window.cursor().dir.Path(), QByteArrayLiteral("/"));
    }

    void doubleClickOpensFolder()
    {
        TestTree tree;
        TestTree reports;
        tree.file("pictures/one.jpg");
        tree.file("pictures/two.jpg");
        lector01 window{ReportFolder(reports.native())};
        window.openFolder(tree.root());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto *dir = WindowProbe(window).control<QTreeView>("Dir");
        const QModelIndex current = dir->currentIndex();
        QCOMPARE(current.data().toString(), QFileInfo(tree.native()).fileName());
        const QModelIndexList found =
            dir->model()->match(dir->model()->index(0, 0, current), Qt::DisplayRole,
                                QStringLiteral("pictures"), 1, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QModelIndex pictures = found.first();
        dir->scrollTo(pictures);
        // A click, then the double click itself: QTest::mouseDClick of Qt 6.4
        // sends nothing that an item view takes as a double click.
        const QPoint at = dir->visualRect(pictures).center();
        QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, dir->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(dir->viewport(), &dbl);

        QCOMPARE(window.cursor().dir.Path(), tree.path("pictures"));
        const QAbstractItemModel *files =
            WindowProbe(window).control<QListView>("archivos")->model();
        QCOMPARE(files->rowCount(), 2);
        QCOMPARE(files->index(1, 0).data().toString(), QStringLiteral("two.jpg"));
        QCOMPARE(dir->currentIndex().data().toString(), QStringLiteral("pictures"));
    }

    // A whole run started from the keyboard, its report in a deeply nested
    // folder and the status line in a larger font.
    void wholeRun()
    {
        TestTree tree;
        TestTree reports;
        makeTree(tree, 2);
        const QByteArray folder = "a folder with a long name/and another one inside it";
        reports.dir(folder);
        lector01 window{ReportFolder(reports.native(folder))};
        QStatusBar *status = window.statusBar();
        QFont font = status->font();
        font.setPointSize(12);
        status->setFont(font);
        window.openFolder(tree.root());
        WindowProbe probe(window);
        probe.control("Dir")->setFocus();
        probe.botOK()->click(); // as the keyboard does, leaving the focus where it is

        QCOMPARE(window.focusWidget(), probe.botOK());
        QCOMPARE(probe.caption(), QStringLiteral("&Create"));
        QVERIFY(probe.runLockSetEnabled(true));
        QVERIFY(!window.runControl().report().isOpen());
        const QString report = reports.native(folder + "/file-report01.txt");
        QCOMPARE(reports.read(folder + "/file-report01.txt"),
                 smallFileLine(QStringLiteral("f01.txt"), tree.native("d01")) +
                     smallFileLine(QStringLiteral("f00.txt"), tree.native("d00")) +
                     smallFileLine(QStringLiteral("top.txt"), tree.native()));
        QCOMPARE(window.cursor().dir.Path(), tree.root());
        QCOMPARE(probe.status(), report + QStringLiteral(": 3 lines"));
        // The line fits the window and names the report file whole.
        const QString shown = status->currentMessage();
        QVERIFY2(
            shown.endsWith(QDir::toNativeSeparators(QStringLiteral("/file-report01.txt: 3 lines"))),
            qPrintable(shown));
        QVERIFY(status->fontMetrics().horizontalAdvance(shown) <= status->width() - 18);
    }

    // A Cancel click in the middle of a directory of 32,769 files: the window
    // goes on answering while the lines are written, the listing stops at once,
    // everything is back at once, a Create click while the walk unwinds does
    // nothing, and neither does the second click of a double click on Cancel.
    void cancelDuringRun()
    {
        if (runsUnderWine())
            QSKIP("Wine takes minutes to make a folder of 32,769 files");
        TestTree tree;
        TestTree reports;
        const int files = 32769;
        for (int i = 0; i < files; ++i)
            tree.file("many/" + QByteArray::number(i) + ".txt");
        lector01 window{ReportFolder(reports.native())};
        window.openFolder(tree.root());
        WindowProbe probe(window);
        DialogWatcher watcher;
        const QByteArray report = "file-report01.txt";
        QElapsedTimer sincePump;
        qint64 longestGap = 0;
        QByteArray atCancel;

        probe.runWith([&] {
            longestGap = std::max(longestGap, sincePump.isValid() ? sincePump.restart() : 0);
            sincePump.start();
            if (window.runControl().report().linesWritten() < files / 2)
                return false;
            QTest::mouseClick(probe.botOK(), Qt::LeftButton); // Cancel
            atCancel = reports.read(report);
            [&] {
                QCOMPARE(probe.caption(), QStringLiteral("&Create"));
                QVERIFY(probe.runLockSetEnabled(true));
                QVERIFY(!window.runControl().report().isOpen());
                QVERIFY(window.runControl().walkInProgress());
                probe.botOK()->click(); // Create, refused while the walk unwinds
                QVERIFY(!window.runControl().report().isOpen());
            }();
            return true;
        });
        QTest::mouseClick(probe.botOK(), Qt::LeftButton); // the double click's second

        qInfo("longest time between two pumps in the run: %lld ms", longestGap);
        const qint64 lines = atCancel.count('\n');
        QVERIFY(lines >= files / 2 && lines < files); // five digits: 16,384 to 32,768
        QCOMPARE(reports.read(report), atCancel);
        QVERIFY(watcher.texts.isEmpty());
        QVERIFY(!window.runControl().walkInProgress());
        QCOMPARE(probe.caption(), QStringLiteral("&Create"));
        QVERIFY(probe.runLockSetEnabled(true));
        QCOMPARE(window.cursor().dir.Path(), tree.root());
        QCOMPARE(probe.status(), QStringLiteral("Cancelled; ") + reports.native(report) +
                                     QStringLiteral(" keeps ") +
                                     QString::number(lines).insert(2, u',') +
                                     QStringLiteral(" lines"));
    }

    // Help opened once the walk has moved on through a few directories; the
    // directory and file lists show names then, never blank rows.
    void helpDuringRun()
    {
        TestTree tree;
        TestTree reports;
        makeTree(tree, 20);
        lector01 window{ReportFolder(reports.native())};
        window.openFolder(tree.root());
        WindowProbe probe(window);
        const QAbstractItemModel *files = probe.control<QListView>("archivos")->model();
        const QAbstractItemModel *dirs = probe.control<QTreeView>("Dir")->model();
        const std::function<bool(const QModelIndex &)> allNamed = [&](const QModelIndex &parent) {
            for (int row = 0; row < dirs->rowCount(parent); ++row) {
                const QModelIndex entry = dirs->index(row, 0, parent);
                if (entry.data().toString().isEmpty() || !allNamed(entry))
                    return false;
            }
            return true;
        };
        QString duringRun; // files, dirs, exit and help: each 1 when as it should be

        probe.runWith([&] {
            if (window.runControl().report().linesWritten() < 3)
                return false;
            duringRun += QString::number(files->rowCount() > 0 &&
                                         !files->index(0, 0).data().toString().isEmpty());
            duringRun += QString::number(allNamed(QModelIndex()));
            duringRun += QString::number(!probe.control("botcancel")->isEnabled());
            window.findChild<QAction *>(QStringLiteral("op4"))->trigger();
            duringRun +=
                QString::number(window.findChild<QWidget *>(QStringLiteral("Help"))->isVisible());
            return true;
        });

        QCOMPARE(duringRun, QStringLiteral("1111"));
        QCOMPARE(reports.read("file-report01.txt").count('\n'), 21);
    }

    void questionOpensOnFirstButton_data()
    {
        QTest::addColumn<MessageStyle>("style");
        QTest::newRow("report question") << MessageStyle::YesNoCancelQuestion;
        QTest::newRow("install question") << MessageStyle::YesNoQuestion;
    }

    // The same question twice, answered No the first time: Enter answers the
    // second with its first button.
    void questionOpensOnFirstButton()
    {
        QFETCH(MessageStyle, style);
        QWidget parent;
        MessageBoxes boxes;
        const auto activeBox = [] {
            return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        };
        QTimer::singleShot(0, [&] { activeBox()->button(QMessageBox::No)->click(); });
        QCOMPARE(boxes.show(&parent, QStringLiteral("Again?"), style, QString()),
                 MessageAnswer::No);

        QWidget *focused = nullptr;
        QTimer::singleShot(0, [&] {
            focused = activeBox()->focusWidget();
            QTest::keyClick(focused, Qt::Key_Return);
        });
        QCOMPARE(boxes.show(&parent, QStringLiteral("Again?"), style, QString()),
                 MessageAnswer::Yes);
        QCOMPARE(qobject_cast<QPushButton *>(focused)->text(), QStringLiteral("&Yes"));
    }

private:
    TestTree m_designReports; // the report folder of windows that only show
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
