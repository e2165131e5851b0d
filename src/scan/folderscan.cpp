#include "folderscan.h"

#include "platform/directorycursor.h"
#include "platform/frontend.h"
#include "platform/names.h"
#include "platform/runtimeerror.h"
#include "skiprule.h"

#include <new>

FolderScan::FolderScan(DirectoryCursor &cursor, ReportFile &report, FrontEnd &frontEnd)
    : m_dir(cursor.dir), m_files(cursor.files), m_frontEnd(frontEnd),
      m_classifier(cursor.files, frontEnd, m_scanActive),
      m_writer(report, cursor.cache, frontEnd, m_scanActive)
{}

bool FolderScan::ScanFolder(QByteArray dirPath, QByteArray backPath)
{
    m_scanActive = true;
    ++m_foldersVisited;
    m_frontEnd.pumpEvents();
    if (!m_scanActive)
        return true;

    try {
        if (!visitSubdirectories(dirPath))
            return false;
        if (!visitFiles())
            return false;
        if (!backPath.isEmpty())
            m_dir.setPath(backPath);
        return false;
    } catch (const RuntimeError &error) {
        return handleError(error.number(), error.description());
    } catch (const std::bad_alloc &) {
        return handleError(ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"));
    }
}

// Walks the subdirectories from the last list entry to the first. False
// when a child visit stopped early: this visit then ends at once as well.
bool FolderScan::visitSubdirectories(const QByteArray &dirPath)
{
    qint64 remaining = m_dir.ListCount();
    while (remaining > 0 && m_scanActive) {
        const QByteArray savedPath = m_dir.Path();
        m_dir.setPath(dirPath);
        bool stopped = false;
        if (m_dir.ListCount() > 0) {
            m_dir.setPath(m_dir.List(remaining - 1));
            stopped = ScanFolder(m_dir.Path(), savedPath);
        }
        --remaining;
        if (stopped)
            return false;
    }
    // A child ended by an out-of-memory error below it leaves the list where
    // the error struck; the directory's own files are the ones to look at.
    // After a Cancel the list stays where it is: nothing more is read.
    if (m_scanActive && m_dir.Path() != dirPath)
        m_dir.setPath(dirPath);
    return true;
}

// Writes the directory's own lines, unless it is skipped. False when a
// Cancel came first: then nothing more may be written.
bool FolderScan::visitFiles()
{
    const qint64 fileCount = m_files.ListCount();
    const QString path = decodedName(m_dir.Path());
    if (IsSkippedFolder(fileCount, path))
        return true;
    if (!m_scanActive)
        return false;

    const FolderKind kind = m_classifier.ClassifyFolder(fileCount, path);
    if (kind != FolderKind::None)
        m_writer.WriteSummaryLine(kindMarker(kind), fileCount, m_dir.Path());
    else
        m_writer.ListFolderFiles(m_files, fileCount);
    return true;
}

// Out of memory ends this visit and, through its result, its caller; the
// walk goes on above them. Any other error ends the program.
bool FolderScan::handleError(int number, const QString &description)
{
    if (number == ErrorNumber::OutOfMemory) {
        m_frontEnd.messageBox(QStringLiteral("Out of memory, you've filled the list box."),
                              MessageStyle::Plain);
        return true;
    }
    m_frontEnd.messageBox(description, MessageStyle::Plain);
    m_frontEnd.endProgram();
    throw ProgramEnded{};
}
