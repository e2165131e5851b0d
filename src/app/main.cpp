// Tallywick's window program: the main window is the whole start-up.

#include "lector01.h"
#include "messagebox.h"
#include "platform/runtimeerror.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallywick"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYWICK_VERSION));
    try {
        lector01 window;
        window.show();
        return QApplication::exec();
    } catch (const RuntimeError &error) {
        showMessageBox(nullptr, error.description(), MessageStyle::Critical, QString());
        return 1;
    }
}
