// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program icon as PNG files for the hicolor icon theme:
//   tallywick-render-icon DIRECTORY SIZE...
// makes DIRECTORY/tallywick-SIZE.png for each SIZE, drawn by the window
// program's own painter at that size.

#include "programicon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    // No display is needed, nor wanted while building.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: tallywick-render-icon DIRECTORY SIZE...\n", stderr);
        return 2;
    }
    const QDir directory(arguments.at(1));
    if (!directory.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "tallywick-render-icon: cannot make %s\n",
                     qPrintable(arguments.at(1)));
        return 1;
    }
    for (const QString &argument : arguments.mid(2)) {
        bool isNumber = false;
        const int size = argument.toInt(&isNumber);
        if (!isNumber || size <= 0) {
            std::fprintf(stderr, "tallywick-render-icon: bad size %s\n", qPrintable(argument));
            return 2;
        }
        const QString file = directory.filePath(QStringLiteral("tallywick-%1.png").arg(size));
        const QImage image = programPixmap(size).toImage();
        if (image.size() != QSize(size, size) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "tallywick-render-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
