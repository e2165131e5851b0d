// SPDX-License-Identifier: GPL-3.0-or-later
// Tallywick's window program: the main window is the whole start-up.

#include "mainwindow.h"
#include "messagebox.h"
#include "runtimeerror.h"

#include <QApplication>
#include <QScopeGuard>

#include <cstdlib>

namespace {

MainWindow *mainWindow = nullptr;

// The windowing system's plug-in ends the process itself when the display
// connection is lost; the report is closed with what it holds all the same.
void closeReportAtExit()
{
    if (mainWindow)
        mainWindow->stopForSuddenEnd();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallywick"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYWICK_VERSION));
    try {
        MainWindow window;
        mainWindow = &window;
        const auto forget = qScopeGuard([] { mainWindow = nullptr; });
        std::atexit(closeReportAtExit);
        window.show();
        return QApplication::exec();
    } catch (const RuntimeError &error) {
        showMessageBox(nullptr, error.description(), MessageStyle::Critical, QString());
        return 1;
    }
}
