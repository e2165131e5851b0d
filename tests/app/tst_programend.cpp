// Ending the program during a run: the menu's Exit and closing the window
// through its frame both stop the walk and close the report with what it
// holds. Each ends the event loop, so they have a test program of their own.

#include "testtree.h"
#include "windowprobe.h"

#include <QAction>

class ProgramEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endDuringRun_data();
    void endDuringRun();
};

void ProgramEndTest::endDuringRun_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("menu Exit") << true;
    QTest::newRow("window frame") << false;
}

void ProgramEndTest::endDuringRun()
{
    QFETCH(bool, byMenu);
    TestTree tree;
    TestTree reports;
    for (int i = 0; i < 10; ++i)
        tree.file(QStringLiteral("d%1/f.txt").arg(i));
    lector01 window{ReportFolder(reports.path())};
    window.openFolder(tree.rawPath());
    window.show();
    WindowProbe probe(window);
    QByteArray atEnd;
    bool reportClosed = false;

    probe.runWith([&] {
        if (window.runControl().report().linesWritten() < 2)
            return false;
        if (byMenu)
            window.findChild<QAction *>(QStringLiteral("op3"))->trigger();
        else
            window.close();
        reportClosed = !window.runControl().report().isOpen();
        atEnd = reports.read(QStringLiteral("file-report01.txt"));
        return true;
    });

    QVERIFY(reportClosed);
    QCOMPARE(atEnd.count('\n'), 2);
    QCOMPARE(reports.read(QStringLiteral("file-report01.txt")), atEnd);
    QVERIFY(!window.isVisible());
    QVERIFY(!window.runControl().walkInProgress());
}

QTEST_MAIN(ProgramEndTest)
#include "tst_programend.moc"
