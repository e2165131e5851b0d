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
    void cleanup() { m_main.reset(); }
    void openAndClose_data();
    void openAndClose();
    void readableAndNamed_data();
    void readableAndNamed();

private:
    void trigger(const QString &item) { m_main->findChild<QAction *>(item)->trigger(); }
    QWidget *window(const QString &name) const { return m_main->findChild<QWidget *>(name); }
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

void HelpAboutTest::openAndClose_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("control"); // what takes the key, or the button clicked
    QTest::addColumn<int>("key");         // 0 for a click
    QTest::addColumn<bool>("closes");
    const QString about = QStringLiteral("About Tallywick v1");
    const QString op2 = QStringLiteral("op2"), op4 = QStringLiteral("op4"), none;
    QTest::newRow("About Enter") << op2 << about << none << int(Qt::Key_Return) << true;
    QTest::newRow("About Escape") << op2 << about << none << int(Qt::Key_Escape) << true;
    QTest::newRow("About OK") << op2 << about << QStringLiteral("cmdOK") << 0 << true;
    QTest::newRow("Help Escape") << op4 << QStringLiteral("Help") << none << int(Qt::Key_Escape)
                                 << false;
    QTest::newRow("Help OK") << op4 << QStringLiteral("Help") << QStringLiteral("cmdCommand1")
                             << int(Qt::Key_Return) << true;
}

// Opened twice, one modeless window; Escape does nothing in Help, where
// Enter reaches the OK button, the one control that takes the focus. Once
// closed, the window opens again.
void HelpAboutTest::openAndClose()
{
    QFETCH(QString, menuItem);
    QFETCH(QString, caption);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(bool, closes);
    const QString name =
        QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char(' '), 0, 0);

    trigger(menuItem);
    trigger(menuItem);
    const QList<QWidget *> windows = m_main->findChildren<QWidget *>(name);
    QCOMPARE(windows.size(), 1);
    QWidget *const opened = windows.first();
    QVERIFY(opened->isVisible() && !opened->isModal());
    QCOMPARE(opened->windowTitle(), caption);
    QVERIFY(!opened->windowIcon().isNull());

    const QPointer<QWidget> shown = opened; // null once the window is deleted
    QWidget *target = control.isEmpty() ? opened : opened->findChild<QPushButton *>(control);
    if (key)
        QTest::keyClick(target, Qt::Key(key));
    else
        qobject_cast<QPushButton *>(target)->click();
    settle();
    QCOMPARE(shown.isNull(), closes);
    if (const QWidget *kept = shown.data())
        QVERIFY(kept->isVisible());
    trigger(menuItem);
    QVERIFY(window(name)->isVisible());
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
    const auto [dark, light] = std::minmax({luminance(one), luminance(other)});
    return (light + 0.05) / (dark + 0.05);
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
        trigger(menuItem);
    QWidget *shown =
        menuItem.isEmpty() ? m_main.get() : window(QLatin1String(QTest::currentDataTag()));

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
