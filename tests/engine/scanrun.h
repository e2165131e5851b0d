// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "directorycursor.h"
#include "folderscan.h"
#include "pathsyntax.h"
#include "reportfile.h"
#include "scriptedfrontend.h"
#include "testthreads.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// One catalogue run of the engine over a tree, into a report file of its own.
struct ScanRun
{
    QTemporaryDir reportDir;
    const QString reportPath = reportDir.filePath(QStringLiteral("report.txt"));
    DirectoryCursor cursor;
    ReportFile report;
    ScriptedFrontEnd frontEnd;
    FolderScan scan{cursor, report, frontEnd};
    int threads = testThreads();

    void run(const QByteArray &root, const CategorySwitches &switches = {})
    {
        ageDirectories(root);
        cursor.cache.setThreads(threads);
        cursor.dir.setPath(root);
        cursor.files.setPattern(QStringLiteral("*.*"));
        report.openForOutput(encodedPath(QDir::toNativeSeparators(reportPath)));
        scan.setSwitches(switches);
        scan.ScanFolder(cursor.dir.Path(), QByteArray());
        report.close();
    }

    QByteArray output() const
    {
        QFile file(reportPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The report's lines, each without its carriage return and line feed.
    // Paths are shown with "/" for the separator on every system.
    QStringList lines() const
    {
        QString text = QString::fromUtf8(output());
#ifdef Q_OS_WIN
        text.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
        return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};
