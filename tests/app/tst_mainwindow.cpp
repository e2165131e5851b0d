// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its design, start-up, the three lists, and whole runs
// started and cancelled from the Create button.

#include "dialogwatcher.h"
#include "dirlistmodel.h"
#include "drivebox.h"
#include "messagebox.h"
#include "readabletooltips.h"
#include "testtree.h"
#include "twips.h"
#include "windowprobe.h"
#include "wine.h"

#include <QAccessible>
#include <QGroupBox>
#include <QListView>
#include <QScopeGuard>
#include <QToolTip>
#include <QTreeView>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MessageStyle)

// Windows shows its volumes as drive letters, none of them a folder of a test's own.
constexpr bool DriveLetters = PathSeparator == '\\';

// The contrast of the darkest and the lightest colour of `control`'s tool tip
// as it is drawn when shown.
static double drawnTipContrast(QWidget *control)
{
    QToolTip::showText(control->mapToGlobal(QPoint(1, 1)), control->toolTip(), control);
    const auto hide = qScopeGuard([] { QToolTip::hideText(); });
    for (QWidget *tip : QApplication::topLevelWidgets()) {
        if (!tip->inherits("QTipLabel") || !tip->isVisible())
            continue;
        const QImage drawn = tip->grab().toImage();
        QColor darkest = Qt::white, lightest = Qt::black;
        for (int i = 0; i < drawn.width() * drawn.height(); ++i) {
            const QColor colour = drawn.pixelColor(i % drawn.width(), i / drawn.width());
            darkest = colour.lightness() < darkest.lightness() ? colour : darkest;
            lightest = colour.lightness() > lightest.lightness() ? colour : lightest;
        }
        return contrastOf(darkest, lightest);
    }
    return 0;
}

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp()
    {
        MainWindow window{ReportFolder(m_designReports.native())};
        WindowProbe probe(window);
        auto *drive = probe.control<DriveBox>("Drive");
        const qint64 programDrive = drive->drives().indexOfPath(programFolder());

        QVERIFY(programDrive >= 0);
        QCOMPARE(drive->currentIndex(), int(programDrive));
        QCOMPARE(window.cursor().dir.Path(), drive->drives().List(programDrive).mountPoint);
        QCOMPARE(window.cursor().files.Path(), window.cursor().dir.Path());
        QCOMPARE(window.lastDriveText(), drive->driveText());
        for (const char *name : {"chg", "chm", "chv", "chi"})
            QVERIFY(probe.control<QCheckBox>(name)->isChecked());
        QCOMPARE(window.focusWidget(), drive);
        window.show();
        QVERIFY(window.testAttribute(Qt::WA_KeyboardFocusChange)); // the focus frame is drawn
        QStringList tabOrder;
        for (QWidget *next = drive; tabOrder.size() < 9; next = next->nextInFocusChain())
            if (next->focusPolicy() & Qt::TabFocus)
                tabOrder << next->objectName();
        QCOMPARE(tabOrder.join(u' '), u"Drive Dir archivos chg chm chv chi botOK botcancel"_s);
        QVERIFY(!probe.createButton()->isDefault() && !probe.createButton()->autoDefault());
    }

    void controlsAsDesigned_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessibleName"); // what a screen reader announces
        QTest::addColumn<QString>("tip");
        const char *rows[][4] = {
            {"seldrive", "Select Drive: ", "", ""},
            {"Drive", "", "Select Drive: ", "Select the drive and directory to scan files."},
            {"Dir", "", "Directory", "Select directory with double click."},
            {"archivos", "", "Files", ""},
            {"checa", "Group ", "",
             "Deselect if you want a full list of your files in each directory."},
            {"chg", "Graphic Files", "",
             "\"graphic-files\" in the report if JPG/GIF/BMP/PCX files > 80% of total."},
            {"chi", "Install Files", "",
             "\"install-files\" in the report (interactive) if EXE files are present. Useful "
             "when one SETUP.EXE and hundred of dat-files."},
            {"botOK", "&Create", "", "Report will be writen on @file-report01.txt"},
            {"botcancel", "&Exit", "", "Adios!!"}};
        const QString reports = QDir::toNativeSeparators(m_designReports.native() + u'/');
        for (const auto &[name, caption, accessibleName, tip] : rows)
            QTest::newRow(name)
                << QString::fromUtf8(caption)
                << QString::fromUtf8(*accessibleName ? accessibleName : caption).remove(u'&')
                << QString::fromUtf8(tip).replace(u'@', reports);
    }

    // The texts of each control, and where a few of them stand, in twips.
    void controlsAsDesigned()
    {
        QFETCH(QString, caption);
        QFETCH(QString, accessibleName);
        QFETCH(QString, tip);
        MainWindow window{ReportFolder(m_designReports.native())};
        QWidget *control = WindowProbe(window).control(QTest::currentDataTag());
        QVERIFY(control);
        QCOMPARE(control->toolTip(), tip);
        if (!tip.isEmpty()) // the tip as it is drawn: its text stands out from its background
            QVERIFY2(drawnTipContrast(control) >= 4.5, qPrintable(tip));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        // A drop-down list, whose name is its value, is announced by its label.
        const auto labels = accessible->relations(QAccessible::Label);
        const bool byLabel = accessible->role() == QAccessible::ComboBox && !labels.isEmpty();
        QCOMPARE((byLabel ? labels.first().first : accessible)->text(QAccessible::Name),
                 accessibleName);
        QCOMPARE(accessible->text(QAccessible::Description), tip);
        const char *captionProperty = qobject_cast<QGroupBox *>(control) ? "title" : "text";
        if (!caption.isEmpty())
            QCOMPARE(control->property(captionProperty).toString(), caption);
        const Twips twips(control);
        if (control->objectName() == "Dir"_L1)
            QCOMPARE(control->geometry(), twips.rect(240, 720, 3615, 1665));
        if (control->objectName() == "botOK"_L1)
            QCOMPARE(control->geometry(), twips.rect(2640, 4080, 1215, 495));
        if (control->objectName() == "chi"_L1) // sized by its text
            QCOMPARE(control->pos(), twips.rect(240, 960, 0, 0).topLeft());
    }

    // A drive that is not ready is left quietly for the first one. Then a stick
    // plugged in, another volume mounted, the stick unmounted: the list keeps
    // the selection while it is mounted, and the program's working directory
    // never moves onto a volume, nor any of its files stays open there.
    void drives()
    {
        TestTree tree, reports;
        const QByteArray top = DriveLetters ? programFolder().left(3) : "/"; // "C:\\" or "/"
        const DriveEntry root{top, QString()};
        const DriveEntry gone{tree.path("unplugged"), u"GONE"_s};
        MainWindow window{ReportFolder(reports.native()), DriveList({root, gone})};
        auto *drive = WindowProbe(window).control<DriveBox>("Drive");
        DialogWatcher watcher;

        drive->setCurrentIndex(drive->findText(gone.text()));
        QCOMPARE(drive->driveText(), QString::fromUtf8(top));
        QCOMPARE(window.cursor().dir.Path(), top);
        QCOMPARE(window.cursor().files.Path(), top);
        QVERIFY(watcher.texts.isEmpty());
#ifndef Q_OS_WIN // drive letters, each with a folder of its own, and no mount table
        tree.file("stick/a.txt");
        const DriveEntry stick{tree.path("stick"), u"STICK"_s};
        const DriveEntry other{tree.path("other"), QString()};
        const QString workingDirectory = QDir::currentPath();
        window.followDrives(DriveList({root, stick}));
        drive->setCurrentIndex(drive->findText(stick.text()));
        window.followDrives(DriveList({root, other, stick}));
        QCOMPARE(drive->count(), 3);
        QCOMPARE(drive->driveText(), stick.text());
        QCOMPARE(window.cursor().dir.Path(), stick.mountPoint);
        QCOMPARE(QDir::currentPath(), workingDirectory);
        for (const QFileInfo &fd :
             QDir(u"/proc/self/fd"_s).entryInfoList(QDir::AllEntries | QDir::System))
            QVERIFY2(!fd.symLinkTarget().startsWith(tree.native()), qPrintable(fd.symLinkTarget()));

        window.followDrives(DriveList({root, other}));
        QCOMPARE(drive->driveText(), QString::fromUtf8(top));
        QCOMPARE(window.cursor().dir.Path(), top);
#endif
    }

    // A whole run started from the keyboard with a double press, its report in a
    // deeply nested folder, the status line in a larger font; a later disk of a
    // package left out, as the status line says at the end. Help opened once
    // the walk has moved on: the directory and file lists show names, never
    // blank rows. Then a double click opens a folder.
    void wholeRun()
    {
        TestTree tree, reports;
        QByteArray lines; // the report: the last directory first, top.txt last
        for (int i = 19; i >= 0; --i) {
            const QString name = u"d%1/f%1.txt"_s.arg(i, 2, 10, QLatin1Char('0'));
            tree.file(name.toUtf8());
            lines += smallFileLine(name.mid(4), tree.native(name.left(3).toUtf8()));
        }
        tree.file("top.txt");
        lines += smallFileLine(u"top.txt"_s, tree.native());
        tree.file("Disk2/more.txt");
        const QByteArray folder = "a folder with a long name/and another one inside it";
        reports.dir(folder);
        MainWindow window{ReportFolder(reports.native(folder))};
        QStatusBar *status = window.statusBar();
        QFont font = status->font();
        font.setPointSize(12);
        status->setFont(font);
        window.openFolder(tree.root());
        WindowProbe probe(window);
        const QAbstractItemModel *files = probe.control<QListView>("archivos")->model();
        auto *dir = probe.control<QTreeView>("Dir");
        const std::function<bool(const QModelIndex &)> allNamed = [&](const QModelIndex &parent) {
            for (int row = 0; row < dir->model()->rowCount(parent); ++row) {
                const QModelIndex entry = dir->model()->index(row, 0, parent);
                if (entry.data().toString().isEmpty() || !allNamed(entry))
                    return false;
            }
            return true;
        };
        QList<bool> duringRun; // files and directories named, Exit locked, Help shown
        dir->setFocus();
        bool firstPump = true;
        probe.runWith(
            [&] {
                if (std::exchange(firstPump, false))
                    probe.createButton()->click(); // a double click's second: nothing happens
                if (window.runControl().report().linesWritten() < 3)
                    return false;
                duringRun = {!files->index(0, 0).data().toString().isEmpty(),
                             allNamed(QModelIndex()), !probe.control("botcancel")->isEnabled()};
                window.findChild<QAction *>(u"op4"_s)->trigger();
                duringRun << probe.control("Help")->isVisible();
                return true;
            },
            WindowProbe::Keyboard);

        QCOMPARE(duringRun, QList<bool>(4, true));
        QCOMPARE(window.focusWidget(), probe.createButton());
        QCOMPARE(probe.caption(), u"&Create"_s);
        QVERIFY(probe.runLockSetEnabled(true));
        QVERIFY(!window.runControl().report().isOpen());
        QCOMPARE(reports.read(folder + "/file-report01.txt"), lines);
        QCOMPARE(window.cursor().dir.Path(), tree.root());
        QCOMPARE(probe.status(), reports.native(folder + "/file-report01.txt") +
                                     u": 21 lines; 1 directory left out: 0 could not be read, "
                                     u"1 on a later disk"_s);
        // The line fits the window and names the report file whole.
        const QString shown = status->currentMessage();
        QVERIFY2(shown.contains(u"file-report01.txt: 21 lines; 1 "_s), qPrintable(shown));
        QVERIFY(status->fontMetrics().horizontalAdvance(shown) <= status->width() - 18);
        // A menu's actions have no status tips: hovering them leaves the line as it is.
        QStatusTipEvent hovered{QString()};
        QApplication::sendEvent(&window, &hovered);
        QCOMPARE(status->currentMessage(), shown);

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(dir->currentIndex().data().toString(), QFileInfo(tree.native()).fileName());
        const QModelIndex d01 = dir->model()->index(1, 0, dir->currentIndex()); // d00, d01, ...
        dir->scrollTo(d01);
        // A click, then the double click itself: QTest::mouseDClick of Qt 6.4
        // sends nothing that an item view takes as a double click.
        const QPoint at = dir->visualRect(d01).center();
        QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, dir->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(dir->viewport(), &dbl);
        QCOMPARE(window.cursor().dir.Path(), tree.path("d01"));
        QCOMPARE(files->rowCount(), 1);
        QCOMPARE(files->index(0, 0).data().toString(), u"f01.txt"_s);
        QCOMPARE(dir->currentIndex().data().toString(), u"d01"_s);
    }

    void cancelDuringRun_data()
    {
        QTest::addColumn<bool>("inListing");
        QTest::newRow("in the listing") << true;
        QTest::newRow("while the directory is read") << false;
    }

    // A Cancel click in the middle of a directory of 32,769 files, in its listing
    // or while the walk reads it, stops the run for good and brings everything
    // back at once; a Create click while the walk unwinds, or the second click of
    // a double click on Cancel, does nothing.
    void cancelDuringRun()
    {
        QFETCH(bool, inListing);
        if (runsUnderWine())
            QSKIP("Wine takes minutes to make a folder of 32,769 files");
        TestTree tree, reports;
        // While the directory is read: one of 40,000 folders, slow enough to
        // read for the window to handle input in the middle of it.
        const int files = 32769;
        for (int i = 0; i < (inListing ? files : 40000); ++i)
            inListing ? tree.file("many/" + QByteArray::number(i) + ".txt")
                      : tree.dir("many/" + QByteArray::number(i));
        tree.file("top.txt"); // its line would come last
        MainWindow window{ReportFolder(reports.native())};
        window.openFolder(tree.root());
        WindowProbe probe(window);
        DialogWatcher watcher;
        QByteArray atCancel;
        QList<bool> afterCancel; // the window as the Cancel click returns, and after a Create

        probe.runWith([&] {
            if (inListing ? window.runControl().report().linesWritten() < files / 2
                          : window.cursor().isSettled())
                return false;
            QTest::mouseClick(probe.createButton(), Qt::LeftButton); // Cancel
            atCancel = reports.read("file-report01.txt");
            afterCancel = {probe.caption() == "&Create"_L1, probe.runLockSetEnabled(true),
                           !window.runControl().report().isOpen(),
                           window.runControl().walkInProgress()};
            probe.createButton()->click(); // Create, refused while the walk unwinds
            afterCancel << !window.runControl().report().isOpen();
            window.openFolder(tree.path("many")); // done once the walk has returned
            return true;
        });
        if (afterCancel.isEmpty())
            QSKIP("This machine read the folder before the window handled any input");
        QCOMPARE(afterCancel, QList<bool>(5, true));
        // However long a busy machine took to unwind the walk and open the
        // folder, the next click is the second of the double click.
        const auto intervalBack = qScopeGuard([interval = QApplication::doubleClickInterval()] {
            QApplication::setDoubleClickInterval(interval);
        });
        QApplication::setDoubleClickInterval(3'600'000);
        QTest::mouseClick(probe.createButton(), Qt::LeftButton); // the double click's second
        QTest::qWait(50); // anything the walk left behind would come now

        const qint64 lines = atCancel.count('\n');
        QVERIFY(inListing ? lines >= files / 2 && lines < files : lines == 0);
        QCOMPARE(reports.read("file-report01.txt"), atCancel);
        QVERIFY(watcher.texts.isEmpty());
        QVERIFY(!window.runControl().walkInProgress());
        QCOMPARE(probe.caption(), u"&Create"_s);
        QVERIFY(probe.runLockSetEnabled(true));
        QCOMPARE(window.cursor().dir.Path(), tree.path("many"));
        const QString count = lines ? QString::number(lines).insert(2, u',') : u"0"_s;
        QCOMPARE(probe.status(), u"Cancelled; "_s + reports.native("file-report01.txt") +
                                     u" keeps "_s + count + u" lines"_s);
    }

    // Rows of the input, and the folder (below the tree) that the lists then show.
    void inputWhileBrowsing_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("Create") << u"create"_s << QByteArray("many");
        QTest::newRow("Up, then Return") << u"up"_s << QByteArray();
        QTest::newRow("another drive") << u"drive"_s << QByteArray("other");
    }

    // Input that comes while a large directory is opened is acted on once the
    // lists show it: a run then catalogues the directory the lists show, and
    // the lists agree with each other and with the disk.
    void inputWhileBrowsing()
    {
        QFETCH(QString, input);
        QFETCH(QByteArray, shown);
        TestTree tree, reports;
        for (int i = 0; i < 1000; ++i)
            tree.file("many/" + QByteArray::number(i) + ".txt");
        tree.file("top.txt");
        tree.file("other/o.txt");
        if (DriveLetters && input == "drive"_L1)
            QSKIP("Drive letters are no folders of a test's own");
        const DriveList drives({{"/", QString()}, {tree.path("other"), QString()}});
        MainWindow window{ReportFolder(reports.native()),
                          DriveLetters ? DriveList::systemDrives() : drives};
        WindowProbe probe(window);
        DialogWatcher watcher;
        auto *dir = probe.control<QTreeView>("Dir");
        auto *drive = probe.control<DriveBox>("Drive");
        QTest::qWait(50); // the user looks before a double click

        if (input == "create"_L1) {
            QMetaObject::invokeMethod(probe.createButton(), &QPushButton::click,
                                      Qt::QueuedConnection);
        } else if (input == "up"_L1) {
            for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Return})
                for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
                    QCoreApplication::postEvent(dir, new QKeyEvent(type, key, Qt::NoModifier));
        } else {
            QMetaObject::invokeMethod(
                drive, [drive] { drive->setCurrentIndex(1); }, Qt::QueuedConnection);
        }
        window.openFolder(tree.path("many"));
        QTest::qWait(50);

        const QByteArray expected = shown.isEmpty() ? tree.root() : tree.path(shown);
        QCOMPARE(window.cursor().dir.Path(), expected);
        QCOMPARE(qobject_cast<DirListModel *>(dir->model())->path(dir->currentIndex()), expected);
        const QStringList onDisk = QDir(QFile::decodeName(expected)).entryList(QDir::Files);
        QCOMPARE(probe.control<QListView>("archivos")->model()->rowCount(), onDisk.size());
        QCOMPARE(window.cursor().files.ListCount(), onDisk.size());
        QVERIFY(watcher.texts.isEmpty());
        const QByteArray lines = reports.read("file-report01.txt");
        QCOMPARE(lines.count('\n'), input == "create"_L1 ? 1000 : 0);
        QVERIFY(lines.isEmpty() ||
                lines.endsWith(' ' + tree.native("many").toLower().toUtf8() + "\r\n"));
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
        QCOMPARE(boxes.show(&parent, u"Again?"_s, style, QString()), MessageAnswer::No);

        QWidget *focused = nullptr;
        QTimer::singleShot(0, [&] {
            focused = activeBox()->focusWidget();
            QTest::keyClick(focused, Qt::Key_Return);
        });
        QCOMPARE(boxes.show(&parent, u"Again?"_s, style, QString()), MessageAnswer::Yes);
        QCOMPARE(qobject_cast<QPushButton *>(focused)->text(), u"&Yes"_s);
    }

private:
    TestTree m_designReports; // the report folder of windows that only show
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
