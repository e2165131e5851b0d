// The Help and About windows: one of each at most, and how they close.

#include "aboutwindow.h"
#include "helpwindow.h"
#include "lector01.h"
#include "testtree.h"

#include <QAction>
#include <QPushButton>

class HelpAboutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openedTwiceGivesOneWindow_data();
    void openedTwiceGivesOneWindow();
    void aboutClosesOnKey_data();
    void aboutClosesOnKey();
    void helpIgnoresEscape();
    void aboutOpensAgainAfterClosing();

private:
    void trigger(const char *menuItem);
    QWidget *window(const char *name) const;
    // Lets the windows closed so far be destroyed.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestTree m_reports;
    std::unique_ptr<lector01> m_main;
};

void HelpAboutTest::init()
{
    m_main = std::make_unique<lector01>(ReportFolder(m_reports.path()));
    m_main->show();
}

void HelpAboutTest::cleanup()
{
    m_main.reset();
}

void HelpAboutTest::trigger(const char *menuItem)
{
    m_main->findChild<QAction *>(QLatin1String(menuItem))->trigger();
}

QWidget *HelpAboutTest::window(const char *name) const
{
    return m_main->findChild<QWidget *>(QLatin1String(name));
}

void HelpAboutTest::openedTwiceGivesOneWindow_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Help") << QStringLiteral("op4") << QStringLiteral("Help");
    QTest::newRow("About") << QStringLiteral("op2") << QStringLiteral("About Tallywick v1");
}

void HelpAboutTest::openedTwiceGivesOneWindow()
{
    QFETCH(QString, menuItem);
    QFETCH(QString, caption);

    trigger(menuItem.toLatin1().constData());
    trigger(menuItem.toLatin1().constData());

    const QList<QWidget *> windows =
        m_main->findChildren<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.first()->isVisible());
    QVERIFY(!windows.first()->isModal());
    QCOMPARE(windows.first()->windowTitle(), caption);
    QVERIFY(!windows.first()->windowIcon().isNull());
}

void HelpAboutTest::aboutClosesOnKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void HelpAboutTest::aboutClosesOnKey()
{
    QFETCH(int, key);
    trigger("op2");
    QPointer<QWidget> about = window("About");
    QVERIFY(about);

    QTest::keyClick(about, Qt::Key(key));
    settle();
    QVERIFY(about.isNull());
}

// Escape does nothing in the Help window; Enter clicks its OK button, the
// one control there that takes the focus.
void HelpAboutTest::helpIgnoresEscape()
{
    trigger("op4");
    QPointer<QWidget> help = window("Help");
    QTest::keyClick(help, Qt::Key_Escape);
    settle();
    QVERIFY(help && help->isVisible());

    QTest::keyClick(help->findChild<QPushButton *>(QStringLiteral("cmdCommand1")), Qt::Key_Return);
    settle();
    QVERIFY(help.isNull());
}

void HelpAboutTest::aboutOpensAgainAfterClosing()
{
    trigger("op2");
    window("About")->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    settle();
    QVERIFY(!window("About"));

    trigger("op2");
    QVERIFY(window("About") && window("About")->isVisible());
}

QTEST_MAIN(HelpAboutTest)
#include "tst_helpabout.moc"
