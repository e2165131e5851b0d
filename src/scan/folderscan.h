// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "exportwriter.h"
#include "folderclassifier.h"
#include "reportwriter.h"
#include "skiprule.h"

#include <QByteArray>

class DirList;
class DirectoryCache;
class FileList;
class DirectoryCursor;
class FrontEnd;
class ReportFile;

// The walk: visits a directory tree depth first through the directory list,
// subdirectories from the last entry to the first, and writes each
// directory's lines after those of all its subdirectories. The visits in
// progress are kept on a stack of the walk's own, so a tree may be as deep
// as memory allows.
class FolderScan
{
public:
    FolderScan(DirectoryCursor &cursor, ReportFile &report, FrontEnd &frontEnd);
    ~FolderScan();

    FolderScan(const FolderScan &) = delete;
    FolderScan &operator=(const FolderScan &) = delete;

    // A catalogue run: visits `dirPath` and everything below it; `backPath`
    // is where the directory list is set back to afterwards ("" for the top
    // of the walk). The run is active from here until a Cancel.
    // Both are taken by value: callers pass the directory list's own path,
    // which the visit keeps moving.
    // True when the walk found the run cancelled as it began or while it
    // read a directory, or met an out-of-memory error in the top directory
    // or a child of it. Any other error ends the program through the
    // front end (and throws ProgramEnded should endProgram() return).
    bool ScanFolder(QByteArray dirPath, QByteArray backPath);

    // Set when a run starts; cleared only by a Cancel, which is final for
    // that run: nothing more is read, asked or written, and the reading
    // ahead stops at once.
    bool scanActive() const { return m_scanActive; }
    void setScanActive(bool active);

    // Whether the front end has handled its events since the run started.
    // Input handled in the run's first pump was sent before the run began.
    bool hasPumped() const { return m_hasPumped; }

    void setSwitches(const CategorySwitches &switches) { m_classifier.setSwitches(switches); }

    // From the next run on, the catalogue goes out as an export for machines
    // in `format` instead of the report. Its start (ExportWriter::WriteStart)
    // is the caller's to write, once the report file is open.
    ExportWriter &exportAs(ExportFormat format);

    // Directories whose visit has started since this object was made.
    qint64 foldersVisited() const { return m_foldersVisited; }
    // Visits ended by running out of memory: their directories, and the
    // rest of their parents, are missing from the report.
    qint64 outOfMemoryErrors() const { return m_outOfMemoryErrors; }
    // Directories the last run left out, each with everything below it (see
    // FrontEnd::directoryLeftOut).
    struct LeftOut
    {
        qint64 unreadable = 0;
        qint64 laterDisks = 0;
        qint64 total() const { return unreadable + laterDisks; }
    };
    const LeftOut &leftOut() const { return m_leftOut; }

private:
    struct ReturnPath;
    struct Visit;
    struct Walk;

    void startVisit(Walk &walk, ReturnPath backPath);
    void advance(Walk &walk);
    void takeTurn(Walk &walk);
    static void endVisit(Walk &walk, bool result);
    static void passResult(Walk &walk, bool result);
    void pumpWhileReading();
    void noteLeftOut(Walk &walk);
    void finishVisit(const Visit &visit);
    ReturnPath pathToReturnTo(const Visit &visit) const;
    void returnTo(const ReturnPath &path);
    bool visitFiles(DiskNames diskNames);
    bool handleError(int number, const QString &description);
    bool handleOutOfMemory();

    DirectoryCache &m_cache;
    DirList &m_dir;
    FileList &m_files;
    FrontEnd &m_frontEnd;
    FolderClassifier m_classifier;
    ReportWriter m_writer;
    ExportWriter m_export;
    CatalogueWriter *m_output = &m_writer; // one of the two
    bool m_scanActive = false;
    bool m_hasPumped = false;
    qint64 m_foldersVisited = 0;
    qint64 m_outOfMemoryErrors = 0;
    LeftOut m_leftOut;
};
