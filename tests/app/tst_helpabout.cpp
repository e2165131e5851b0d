// The Help and About windows: one of each at most, and how they close.

#include "aboutwindow.h"
#include "helpwindow.h"
#include "lector01.h"
#include "testtree.h"
#include "twips.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
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
    void readableAndNamed_data();
    void readableAndNamed();

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

namespace {

// Relative luminance, as contrast ratios are defined on.
double luminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor &one, const QColor &other)
{
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QPalette darkPalette()
{
    QPalette dark(QColor(0xee, 0xee, 0xee), QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::Midlight, QColor(0xa0, 0xa0, 0xa0));
    return dark;
}

} // namespace

void HelpAboutTest::readableAndNamed_data()
{
    QTest::addColumn<QString>("menuItem"); // none for the main window
    QTest::newRow("lector01") << QString();
    QTest::newRow("Help") << QStringLiteral("op4");
    QTest::newRow("About") << QStringLiteral("op2");
}

// Under a dark desktop palette every label stands out from what is behind
// it, and About's etched line is drawn in the palette's own shades. A
// screen reader has a name for every label.
void HelpAboutTest::readableAndNamed()
{
    QFETCH(QString, menuItem);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    QApplication::setPalette(darkPalette());
    m_main = std::make_unique<lector01>(ReportFolder(m_reports.path()));
    if (!menuItem.isEmpty())
        trigger(menuItem.toLatin1().constData());
    QWidget *shown = menuItem.isEmpty() ? m_main.get() : window(QTest::currentDataTag());

    for (QLabel *label : shown->findChildren<QLabel *>()) {
        const QColor text = label->palette().color(label->foregroundRole());
        const QColor back = label->palette().color(label->backgroundRole());
        QVERIFY2(contrast(text, back) >= 4.5, qPrintable(label->objectName()));
        QVERIFY2(!QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name).isEmpty(),
                 qPrintable(label->objectName()));
    }
    if (menuItem == QLatin1String("op2")) {
        const QImage about = shown->grab().toImage();
        const Twips twips(shown);
        QCOMPARE(about.pixelColor(twips.x(2000), twips.y(2445)),
                 shown->palette().color(QPalette::Dark));
        QCOMPARE(about.pixelColor(twips.x(2000), twips.y(2460) + 1),
                 shown->palette().color(QPalette::Light));
    }
}

QTEST_MAIN(HelpAboutTest)
#include "tst_helpabout.moc"
