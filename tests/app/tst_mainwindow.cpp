// The main window: its design, start-up, the three lists, and whole runs
// started and cancelled from the Create button.

#include "dialogwatcher.h"
#include "drivebox.h"
#include "testtree.h"
#include "twips.h"
#include "windowprobe.h"

#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QTreeView>

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp();
    void controlsAsDesigned_data();
    void controlsAsDesigned();
    void driveNotReadyGoesBackQuietly();
    void doubleClickOpensFolder();
    void wholeRun();
    void cancelDuringRun();
    void helpDuringRun();

private:
    TestTree m_designReports; // the report folder of windows that only show
};

namespace {

// A root file and `folders` directories of one file each.
void makeTree(TestTree &tree, int folders)
{
    tree.file(QStringLiteral("top.txt"));
    for (int i = 0; i < folders; ++i)
        tree.file(QStringLiteral("d%1/f%1.txt").arg(i, 2, 10, QLatin1Char('0')));
}

} // namespace

void MainWindowTest::startUp()
{
    TestTree reports;
    lector01 window{ReportFolder(reports.path())};
    WindowProbe probe(window);
    auto *drive = probe.control<DriveBox>("Drive");
    const qint64 programDrive = drive->drives().indexOfPath(programFolder());

    QVERIFY(programDrive >= 0);
    QCOMPARE(drive->currentIndex(), int(programDrive));
    QCOMPARE(window.cursor().dir.Path(), drive->drives().List(programDrive).mountPoint);
    QCOMPARE(window.cursor().files.Path(), window.cursor().dir.Path());
    QCOMPARE(window.lastDriveText(), drive->Drive());
    const QList<std::pair<const char *, int>> boxes = {
        {"chg", 1}, {"chm", 0}, {"chv", 0}, {"chi", 2}};
    for (const auto &[name, index] : boxes) {
        QVERIFY(probe.control<QCheckBox>(name)->isChecked());
        QCOMPARE(probe.control(name)->property("index").toInt(), index);
    }
    QCOMPARE(probe.caption(), QStringLiteral("&Create"));
    QCOMPARE(window.focusWidget(), drive);
    QStringList tabOrder;
    for (QWidget *next = drive; tabOrder.size() < 9; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            tabOrder << next->objectName();
    }
    QCOMPARE(
        tabOrder,
        QStringList({QStringLiteral("Drive"), QStringLiteral("Dir"), QStringLiteral("archivos"),
                     QStringLiteral("chg"), QStringLiteral("chm"), QStringLiteral("chv"),
                     QStringLiteral("chi"), QStringLiteral("botOK"), QStringLiteral("botcancel")}));
    QVERIFY(!probe.botOK()->isDefault() && !probe.botOK()->autoDefault());
}

void MainWindowTest::controlsAsDesigned_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("sizedByText");

    const QString none;
    QTest::newRow("seldrive") << QStringLiteral("Select Drive: ") << none
                              << QRect(240, 360, 960, 195) << true;
    QTest::newRow("Drive") << none
                           << QStringLiteral("Select the drive and directory to scan files.")
                           << QRect(1320, 240, 2535, 315) << false;
    QTest::newRow("Dir") << none << QStringLiteral("Select directory with double click.")
                         << QRect(240, 720, 3615, 1665) << false;
    QTest::newRow("archivos") << none << none << QRect(240, 2520, 3615, 1260) << false;
    QTest::newRow("checa")
        << QStringLiteral("Group ")
        << QStringLiteral("Deselect if you want a full list of your files in each directory.")
        << QRect(240, 3960, 1815, 1335) << false;
    QTest::newRow("chg") << QStringLiteral("Graphic Files")
                         << QStringLiteral("\"graphic-files\" in the report if JPG/GIF/BMP/PCX "
                                           "files > 80% of total.")
                         << QRect(240, 240, 1215, 255) << true;
    QTest::newRow("chi") << QStringLiteral("Install Files")
                         << QStringLiteral("\"install-files\" in the report (interactive) if EXE "
                                           "files are present. Useful when one SETUP.EXE and "
                                           "hundred of dat-files.")
                         << QRect(240, 960, 1095, 255) << true;
    QTest::newRow("botOK") << QStringLiteral("&Create")
                           << QStringLiteral("Report will be writen on ") +
                                  QDir::toNativeSeparators(m_designReports.path() +
                                                           QLatin1Char('/')) +
                                  QStringLiteral("file-report01.txt")
                           << QRect(2640, 4080, 1215, 495) << false;
    QTest::newRow("botcancel") << QStringLiteral("&Exit") << QStringLiteral("Adios!!")
                               << QRect(2640, 4800, 1215, 495) << false;
}

void MainWindowTest::controlsAsDesigned()
{
    QFETCH(QString, caption);
    QFETCH(QString, tip);
    QFETCH(QRect, twips);
    QFETCH(bool, sizedByText);

    lector01 window{ReportFolder(m_designReports.path())};
    QWidget *control = WindowProbe(window).control(QTest::currentDataTag());
    QVERIFY(control);
    const QRect designed = Twips(control).rect(twips.x(), twips.y(), twips.width(), twips.height());
    QCOMPARE(control->pos(), designed.topLeft());
    if (!sizedByText)
        QCOMPARE(control->size(), designed.size());
    QCOMPARE(control->toolTip(), tip);
    if (!caption.isEmpty())
        QCOMPARE(
            control->property(qobject_cast<QGroupBox *>(control) ? "title" : "text").toString(),
            caption);
}

void MainWindowTest::driveNotReadyGoesBackQuietly()
{
    TestTree tree;
    TestTree reports;
#ifdef Q_OS_WIN
    const QByteArray top = programFolder().left(3); // the program's drive, "C:\\"
#else
    const QByteArray top("/");
#endif
    const DriveEntry root{top, QString()};
    const DriveEntry gone{tree.rawPath(QStringLiteral("unplugged")), QStringLiteral("STICK")};
    lector01 window{ReportFolder(reports.path()), DriveList({root, gone})};
    auto *drive = WindowProbe(window).control<DriveBox>("Drive");
    DialogWatcher watcher;

    drive->setCurrentIndex(drive->findText(gone.text()));
    QCOMPARE(drive->Drive(), QString::fromUtf8(top));
    QCOMPARE(window.cursor().dir.Path(), top);
    QCOMPARE(window.cursor().files.Path(), top);
    QVERIFY(watcher.texts.isEmpty());
}

void MainWindowTest::doubleClickOpensFolder()
{
    TestTree tree;
    TestTree reports;
    tree.file(QStringLiteral("pictures/one.jpg"));
    tree.file(QStringLiteral("pictures/two.jpg"));
    lector01 window{ReportFolder(reports.path())};
    window.openFolder(tree.rawPath());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto *dir = WindowProbe(window).control<QTreeView>("Dir");
    const QModelIndex current = dir->currentIndex();
    QCOMPARE(current.data().toString(), QFileInfo(tree.path()).fileName());
    QModelIndex pictures;
    for (int row = 0; row < dir->model()->rowCount(current); ++row) {
        if (dir->model()->index(row, 0, current).data().toString() == QLatin1String("pictures"))
            pictures = dir->model()->index(row, 0, current);
    }
    QVERIFY(pictures.isValid());
    dir->scrollTo(pictures);
    // A click, then the double click itself: QTest::mouseDClick of Qt 6.4
    // sends nothing that an item view takes as a double click.
    const QPoint at = dir->visualRect(pictures).center();
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, dir->viewport()->mapToGlobal(at),
                    Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(dir->viewport(), &dbl);

    QCOMPARE(window.cursor().dir.Path(), tree.rawPath(QStringLiteral("pictures")));
    const QAbstractItemModel *files = WindowProbe(window).control<QListView>("archivos")->model();
    QCOMPARE(files->rowCount(), 2);
    QCOMPARE(files->index(1, 0).data().toString(), QStringLiteral("two.jpg"));
    QCOMPARE(dir->currentIndex().data().toString(), QStringLiteral("pictures"));
}

void MainWindowTest::wholeRun()
{
    TestTree tree;
    TestTree reports;
    makeTree(tree, 2);
    lector01 window{ReportFolder(reports.path())};
    window.openFolder(tree.rawPath());
    WindowProbe probe(window);
    QTest::mouseClick(probe.botOK(), Qt::LeftButton);

    QCOMPARE(probe.caption(), QStringLiteral("&Create"));
    QVERIFY(probe.runLockSetEnabled(true));
    QVERIFY(!window.runControl().report().isOpen());
    const QByteArray expected =
        smallFileLine(QStringLiteral("f01.txt"), tree.path(QStringLiteral("d01"))) +
        smallFileLine(QStringLiteral("f00.txt"), tree.path(QStringLiteral("d00"))) +
        smallFileLine(QStringLiteral("top.txt"), tree.path());
    QCOMPARE(reports.read(QStringLiteral("file-report01.txt")), expected);
    QCOMPARE(window.cursor().dir.Path(), tree.rawPath());
    QCOMPARE(probe.status(),
             reports.path(QStringLiteral("file-report01.txt")) + QStringLiteral(": 3 lines"));
}

// A Cancel click once the report holds lines: everything is back at once,
// a Create click while the walk unwinds does nothing, and the walk adds
// nothing once it has returned.
void MainWindowTest::cancelDuringRun()
{
    TestTree tree;
    TestTree reports;
    makeTree(tree, 20);
    lector01 window{ReportFolder(reports.path())};
    window.openFolder(tree.rawPath());
    WindowProbe probe(window);
    DialogWatcher watcher;
    const QString report = QStringLiteral("file-report01.txt");
    QByteArray atCancel;

    probe.runWith([&] {
        if (window.runControl().report().linesWritten() < 3)
            return false;
        probe.botOK()->click(); // Cancel
        atCancel = reports.read(report);
        [&] {
            QCOMPARE(probe.caption(), QStringLiteral("&Create"));
            QVERIFY(probe.runLockSetEnabled(true));
            QVERIFY(!window.runControl().report().isOpen());
            QCOMPARE(atCancel.count('\n'), 3);
            QVERIFY(window.runControl().walkInProgress());
            probe.botOK()->click(); // Create, refused while the walk unwinds
            QCOMPARE(probe.caption(), QStringLiteral("&Create"));
            QVERIFY(!window.runControl().report().isOpen());
        }();
        return true;
    });

    QVERIFY(watcher.texts.isEmpty());
    QVERIFY(!window.runControl().walkInProgress());
    QCOMPARE(reports.read(report), atCancel);
    QCOMPARE(probe.caption(), QStringLiteral("&Create"));
    QVERIFY(probe.runLockSetEnabled(true));
    QCOMPARE(probe.status(), QStringLiteral("Cancelled; ") + reports.path(report) +
                                 QStringLiteral(" keeps 3 lines"));
}

void MainWindowTest::helpDuringRun()
{
    TestTree tree;
    TestTree reports;
    makeTree(tree, 5);
    lector01 window{ReportFolder(reports.path())};
    window.openFolder(tree.rawPath());
    WindowProbe probe(window);
    bool helpShown = false;
    bool exitLocked = false;

    probe.runWith([&] {
        exitLocked = !probe.control("botcancel")->isEnabled();
        window.findChild<QAction *>(QStringLiteral("op4"))->trigger();
        helpShown = window.findChild<QWidget *>(QStringLiteral("Help"))->isVisible();
        return true;
    });

    QVERIFY(exitLocked);
    QVERIFY(helpShown);
    QCOMPARE(reports.read(QStringLiteral("file-report01.txt")).count('\n'), 6);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
