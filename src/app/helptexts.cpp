// SPDX-License-Identifier: GPL-3.0-or-later
#include "helptexts.h"

#include "reportfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Where the manual is installed beside the program (bin/../share/doc/...),
// shown so that the reader can find it; empty when it is not there.
QString manualFolder()
{
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/../share/doc/tallywick"));
    const bool installed = QFileInfo::exists(folder + QStringLiteral("/MANUAL.TXT"));
    return installed ? QDir::toNativeSeparators(folder) : QString();
}

} // namespace

QString historyText()
{
    const QString text = QStringLiteral(
        "    A very personal tool, but useful to anyone who keeps a software collection. I keep "
        "two records of mine: a detailed catalogue typed by hand, with the full name, location, "
        "size and description of each item, and a plain text file of paths and file names made "
        "with disk-listing utilities. Those utilities knew nothing of long file names, and for "
        "multimedia collections such as graphics I had to erase many names from their reports "
        "by hand; so I wrote a list utility of my own. For more details read the file "
        "MANUAL.TXT");
    const QString folder = manualFolder();
    return text + (folder.isEmpty() ? QString() : QStringLiteral(" in ") + folder) +
           QLatin1Char('.');
}

// Where the report goes is named as the system has it: the root of drive C:
// on Windows, the home folder elsewhere.
QString quickHelpText(const ReportFolder &reportFolder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(reportFolder);
    const QString where = QStringLiteral("IN ROOT OF C  DRIVE.");
#else
    const QString where = QStringLiteral("IN ") + reportFolder.displayName();
#endif
    return QStringLiteral("     No more help is needed: run it with the default options and look "
                          "at the text report. List directories of image files to see what is "
                          "special. The report FILE-REPORT01 is always created ") +
           where;
}
