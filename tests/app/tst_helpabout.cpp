// SPDX-License-Identifier: GPL-3.0-or-later
// The Help and About windows: one of each at most, and how they close.

#include "aboutwindow.h"
#include "helpwindow.h"
#include "mainwindow.h"
#include "testtree.h"
#include "twips.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The contrast ratio of two colours, from their relative luminance.
double contrast(const QColor &one, const QColor &other)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
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

class HelpAboutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setPalette(darkPalette()); } // a dark desktop

    void init()
    {
        m_main = std::make_unique<MainWindow>(ReportFolder(m_reports.native()));
        m_main->show();
    }

    // "menu item|caption|control|key|closes": the control that takes the key
    // (none: the window), or the button clicked without a key.
    void openAndClose_data()
    {
        QTest::addColumn<QString>("row");
        const char *rows[][2] = {{"About Enter", "op2|About Tallywick v1||Return|1"},
                                 {"About Escape", "op2|About Tallywick v1||Escape|1"},
                                 {"About OK", "op2|About Tallywick v1|cmdOK||1"},
                                 {"Help Escape", "op4|Help||Escape|0"},
                                 {"Help OK", "op4|Help|cmdCommand1|Return|1"}};
        for (const auto &[tag, row] : rows)
            QTest::newRow(tag) << QString::fromLatin1(row);
    }

    // Opened twice, one modeless window; Escape does nothing in Help, where
    // Enter reaches the OK button, the one control that takes the focus. Once
    // closed, the window opens again.
    void openAndClose()
    {
        QFETCH(QString, row);
        const QStringList field = row.split(u'|');
        const QString &menuItem = field[0], &caption = field[1], &control = field[2];
        const int key = field[3].isEmpty()        ? 0
                        : field[3] == "Return"_L1 ? Qt::Key_Return
                                                  : Qt::Key_Escape;
        const bool closes = field[4] == "1"_L1;
        const QString name = QString::fromLatin1(QTest::currentDataTag()).section(u' ', 0, 0);

        trigger(menuItem);
        trigger(menuItem);
        const QList<QWidget *> windows = m_main->findChildren<QWidget *>(name);
        QCOMPARE(windows.size(), 1);
        QWidget *const opened = windows.first();
        QVERIFY(opened->isVisible() && !opened->isModal());
        QCOMPARE(opened->windowTitle(), caption);
        QVERIFY(!opened->windowIcon().isNull());
        const QPointer<QWidget> shown = opened; // null once the window is deleted
        // Under a dark desktop palette every label, here and in the main window,
        // stands out from what is behind it and has a name for a screen reader;
        // About's etched line is drawn in the palette's own shades.
        for (QLabel *label : m_main->findChildren<QLabel *>()) {
            const QColor text = label->palette().color(label->foregroundRole());
            const QColor back = label->palette().color(label->backgroundRole());
            QVERIFY2(contrast(text, back) >= 4.5, qPrintable(label->objectName()));
            QVERIFY2(
                !QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name).isEmpty(),
                qPrintable(label->objectName()));
            // Whatever the fonts of the system, no text is cut.
            const QRect room = label->contentsRect();
            const QRect needed = label->fontMetrics().boundingRect(
                room, int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                label->text());
            QVERIFY2(needed.height() <= room.height() && needed.width() <= room.width(),
                     qPrintable(label->objectName()));
        }
        if (name == "About"_L1) {
            const QImage about = opened->grab().toImage();
            const Twips twips(opened);
            QCOMPARE(about.pixelColor(twips.x(2000), twips.y(2445)),
                     opened->palette().color(QPalette::Dark));
            QCOMPARE(about.pixelColor(twips.x(2000), twips.y(2460) + 1),
                     opened->palette().color(QPalette::Light));
        }

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
        QVERIFY(m_main->findChild<QWidget *>(name)->isVisible());
    }

private:
    void trigger(const QString &item) { m_main->findChild<QAction *>(item)->trigger(); }
    // Lets the windows closed so far be destroyed.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestTree m_reports;
    std::unique_ptr<MainWindow> m_main;
};

QTEST_MAIN(HelpAboutTest)
#include "tst_helpabout.moc"
