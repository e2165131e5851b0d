// SPDX-License-Identifier: GPL-3.0-or-later
// Ending the program during a run (the menu's Exit, the window's frame, another
// client destroying the window) stops the walk and closes the report with what
// it holds. Each ends the event loop: they have a test program of their own.

#include "testtree.h"
#include "windowprobe.h"

#include <QAbstractEventDispatcher>
#include <QAction>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// What an X server reports when another client destroys the window.
void destroyedByAnotherClient(const QWidget &window)
{
    std::array<quint32, 9> event{}; // an xcb_generic_event_t
    event[0] = 17;                  // DestroyNotify
    event[2] = quint32(window.winId());
    qintptr result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", event.data(),
                                                            &result);
}

} // namespace

class ProgramEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endDuringRun_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("menu Exit") << u"menu"_s;
        QTest::newRow("window frame") << u"frame"_s;
        QTest::newRow("window destroyed by another client") << u"destroyed"_s;
    }

    void endDuringRun()
    {
        QFETCH(QString, end);
        TestTree tree;
        TestTree reports;
        for (int i = 0; i < 10; ++i)
            tree.file("d" + QByteArray::number(i) + "/f.txt");
        MainWindow window{ReportFolder(reports.native())};
        window.openFolder(tree.root());
        window.show();
        WindowProbe probe(window);
        QByteArray atEnd;
        bool reportClosed = false;

        probe.runWith([&] {
            if (window.runControl().report().linesWritten() < 2)
                return false;
            if (end == "menu"_L1)
                window.findChild<QAction *>(u"op3"_s)->trigger();
            else if (end == "frame"_L1)
                window.close();
            else
                destroyedByAnotherClient(window);
            reportClosed = !window.runControl().report().isOpen();
            atEnd = reports.read("file-report01.txt");
            return true;
        });

        QVERIFY(reportClosed);
        QCOMPARE(atEnd.count('\n'), 2);
        QCOMPARE(reports.read("file-report01.txt"), atEnd);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.runControl().walkInProgress());
    }
};

QTEST_MAIN(ProgramEndTest)
#include "tst_programend.moc"
