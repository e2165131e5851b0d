// SPDX-License-Identifier: GPL-3.0-or-later
// tallywick-window-run: makes one catalogue run from the main window, as a
// user's Create click does, and times it.
//
//   tallywick-window-run [--latency MS | --cancel-at MS --by click|space] ROOT REPORT
//
// The window opens on ROOT and Create is clicked; every install question is
// answered No. The report is written into a fresh folder beside REPORT and
// then renamed to REPORT. On standard error: the run's wall time and the
// report's line count.
//
// With --latency MS, the run also measures how long the window makes events
// wait: the longest time between two passes of its event pump, and the time
// a Cancel click sent MS milliseconds into the run waits before it is
// handled. The run then ends at that Cancel.
//
// With --cancel-at MS, a Cancel comes MS milliseconds into the run as a user
// makes it: a mouse press and release on the button, or the space bar
// pressed and released on it. After the run the window is checked to be
// idle: the button reads Create again, no walk is going and no message box
// came. The exit status is 1 otherwise, 0 when all is well.

#include "mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Answers the install question No, and any other message OK, as soon as the
// box is shown.
class QuestionAnswerer : public QObject
{
public:
    int questions = 0;
    int messages = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (box && event->type() == QEvent::Show)
            QTimer::singleShot(0, box, [this, box] { answer(box); });
        return false;
    }

private:
    void answer(QMessageBox *box)
    {
        if (QAbstractButton *no = box->button(QMessageBox::No)) {
            ++questions;
            no->click();
            return;
        }
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(box->text()));
        box->buttons().first()->click();
    }
};

// The longest time between two passes of the event pump during a run.
class PumpGapMeter : public QObject
{
public:
    PumpGapMeter()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const Clock::time_point now = Clock::now();
            if (m_last != Clock::time_point())
                m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_timer.start();
    }

    double longestMs() const { return milliseconds(m_longest); }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    Clock::duration m_longest{};
};

struct Arguments
{
    int latencyMs = -1;
    int cancelAtMs = -1;
    bool cancelBySpace = false;
    QString root;
    QString report;
};

bool parse(const QStringList &words, Arguments &arguments)
{
    QStringList rest = words.mid(1);
    if (rest.size() == 4 && rest.first() == QLatin1String("--latency")) {
        arguments.latencyMs = rest.at(1).toInt();
        rest = rest.mid(2);
    } else if (rest.size() == 6 && rest.first() == QLatin1String("--cancel-at") &&
               rest.at(2) == QLatin1String("--by")) {
        arguments.cancelAtMs = rest.at(1).toInt();
        arguments.cancelBySpace = rest.at(3) == QLatin1String("space");
        if (!arguments.cancelBySpace && rest.at(3) != QLatin1String("click"))
            return false;
        rest = rest.mid(4);
    }
    if (rest.size() != 2)
        return false;
    arguments.root = QDir::cleanPath(QDir::current().absoluteFilePath(rest.at(0)));
    arguments.report = QDir::current().absoluteFilePath(rest.at(1));
    return true;
}

// Posts what a user's Cancel is to the window system's queue: the events
// wait there until the window's event pump takes them.
void postCancel(QPushButton *button, bool bySpace)
{
    if (bySpace) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(
                button, new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
        return;
    }
    const QPointF at = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            button,
            new QMouseEvent(type, at, global, Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}

// After the run: the window has nothing left to do and shows it.
bool isIdle(const MainWindow &window, const QPushButton *createButton)
{
    const QDeadlineTimer settle(100);
    while (!settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return window.isVisible() && createButton->text() == QLatin1String("&Create") &&
           createButton->isEnabled() && !window.runControl().walkInProgress() &&
           !window.runControl().report().isOpen();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Arguments arguments;
    if (!parse(QCoreApplication::arguments(), arguments)) {
        std::fprintf(stderr, "usage: tallywick-window-run [--latency MS | --cancel-at MS --by "
                             "click|space] ROOT REPORT\n");
        return 2;
    }
    QTemporaryDir reports(QFileInfo(arguments.report).absolutePath() +
                          QStringLiteral("/window-run-XXXXXX"));
    QuestionAnswerer answerer;
    app.installEventFilter(&answerer);

    MainWindow window{ReportFolder(reports.path())};
    window.openFolder(QFile::encodeName(arguments.root));
    window.show();
    QCoreApplication::processEvents();
    auto *createButton = window.findChild<QPushButton *>(QStringLiteral("botOK"));

    std::unique_ptr<PumpGapMeter> gaps;
    std::thread canceller;
    Clock::time_point cancelSent;
    Clock::time_point cancelHandled;
    if (arguments.latencyMs >= 0) {
        gaps = std::make_unique<PumpGapMeter>();
        canceller = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(arguments.latencyMs));
            cancelSent = Clock::now();
            QMetaObject::invokeMethod(
                createButton,
                [&] {
                    cancelHandled = Clock::now();
                    createButton->click();
                },
                Qt::QueuedConnection);
        });
    }

    if (arguments.cancelAtMs >= 0) {
        canceller = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(arguments.cancelAtMs));
            // Sent only while the run lasts: after it, the same input would
            // be a Create click.
            QMetaObject::invokeMethod(
                createButton,
                [&] {
                    if (window.runControl().walkInProgress())
                        postCancel(createButton, arguments.cancelBySpace);
                },
                Qt::QueuedConnection);
        });
    }

    QElapsedTimer run;
    run.start();
    createButton->setFocus();
    createButton->click();
    const qint64 elapsedMs = run.elapsed();
    if (canceller.joinable())
        canceller.join();
    const bool idle = arguments.cancelAtMs < 0 || isIdle(window, createButton);
    if (!idle)
        std::fprintf(stderr, "the window is not idle after the run\n");

    const QString written = reports.filePath(QStringLiteral("file-report01.txt"));
    QFile::remove(arguments.report);
    if (!QFile::rename(written, arguments.report)) {
        std::fprintf(stderr, "no report was written\n");
        return 1;
    }
    std::fprintf(stderr, "run: %.3f s, %lld report lines, %d install questions answered No\n",
                 static_cast<double>(elapsedMs) / 1000.0,
                 window.runControl().progress().reportLines, answerer.questions);
    if (gaps) {
        std::fprintf(stderr, "longest time between two pump passes: %.1f ms\n", gaps->longestMs());
        if (cancelHandled != Clock::time_point())
            std::fprintf(stderr, "Cancel click handled after: %.1f ms\n",
                         milliseconds(cancelHandled - cancelSent));
        else
            std::fprintf(stderr, "Cancel click: the run was over before it came\n");
    }
    if (arguments.cancelAtMs >= 0)
        std::fprintf(stderr, "%s\n",
                     window.runControl().progress().stage == RunProgress::Stage::Cancelled
                         ? "cancelled"
                         : "finished before the Cancel");
    return answerer.messages == 0 && idle ? 0 : 1;
}
