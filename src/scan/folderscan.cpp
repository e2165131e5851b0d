// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderscan.h"

#include "directorycursor.h"
#include "frontend.h"
#include "names.h"
#include "pathsyntax.h"
#include "runtimeerror.h"
#include "skiprule.h"
#include "summaryforecast.h"

#include <QScopeGuard>

#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace {

// Thrown out of a directory read when a Cancel has been handled in it: the
// move under way is undone, and the walk ends at once.
struct WalkCancelled
{};

} // namespace

// A path the directory list is set back to. Nearly always it is the
// directory of a visit in progress, whose path begins the list's own path
// and is named by its length: in a deep tree whole paths are long, and one
// per level would fill memory. Only where an out-of-memory error left the
// list elsewhere is the path kept as text.
struct FolderScan::ReturnPath
{
    qsizetype length = -1;
    QByteArray text; // when length is -1; empty: the list is not set back
};

// One directory visit in progress.
struct FolderScan::Visit
{
    qsizetype pathLength = 0; // its path: this much of the list's path
    ReturnPath backPath;
    // The subdirectories as they were when the visit began: the visit walks
    // these, whatever is created or removed meanwhile.
    std::shared_ptr<const DirectoryListing> subdirectories;
    qint64 remaining = 0;
    bool enteredSubdirectory = false; // the list has left it since it was read
    DiskNames diskNames;              // of its path: on a later disk of a package?
    std::optional<bool> childResult;  // of the child visit that just ended
};

struct FolderScan::Walk
{
    std::vector<Visit> visits; // the top visit first
    bool result = false;
};

FolderScan::FolderScan(DirectoryCursor &cursor, ReportFile &report, FrontEnd &frontEnd)
    : m_cache(cursor.cache), m_dir(cursor.dir), m_files(cursor.files), m_frontEnd(frontEnd),
      m_classifier(cursor.files, frontEnd, m_scanActive), m_writer(report, frontEnd, m_scanActive),
      m_export(report, frontEnd, m_scanActive)
{}

FolderScan::~FolderScan() = default;

ExportWriter &FolderScan::exportAs(ExportFormat format)
{
    m_export.setFormat(format);
    m_output = &m_export;
    return m_export;
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): copies on purpose, see the header
bool FolderScan::ScanFolder(QByteArray dirPath, QByteArray backPath)
{
    m_scanActive = true;
    m_hasPumped = false;
    m_leftOut = {};
    // Files whose lines will not show their lengths are not measured ahead;
    // an export measures each file as it writes its record. Nothing is read
    // ahead beyond the end of the walk, however it ends.
    m_cache.setMeasureFilter([switches = m_classifier.switches(),
                              exporting = m_output == &m_export](const QByteArray &path,
                                                                 const DirectoryListing &listing) {
        return !exporting && !needsNoLengths(switches, listing, path);
    });
    // A very large directory is read in one go: the front end stays alive
    // while the walk reads, and only while it does.
    m_cache.setWhileReading([this] { pumpWhileReading(); });
    const auto endOfWalk = qScopeGuard([this] {
        m_cache.setWhileReading(nullptr);
        m_cache.stopReadAhead();
    });
    Walk walk;
    try {
        try {
            if (m_dir.Path() != dirPath)
                m_dir.setPath(dirPath);
            startVisit(walk, ReturnPath{-1, std::move(backPath)});
        } catch (const RuntimeError &error) {
            return handleError(error.number(), error.description());
        } catch (const std::bad_alloc &) {
            return handleOutOfMemory();
        }
        while (!walk.visits.empty())
            advance(walk);
    } catch (const WalkCancelled &) {
        return true; // the move it interrupted was undone: the lists agree
    }
    return walk.result;
}

void FolderScan::setScanActive(bool active)
{
    m_scanActive = active;
    if (!active)
        m_cache.stopReadAhead();
}

// A Cancel handled while a directory is read ends the walk there and then;
// a cancelled walk handles no more input.
void FolderScan::pumpWhileReading()
{
    if (m_scanActive) {
        m_frontEnd.pumpEventsWhileBusy();
        m_hasPumped = true;
    }
    if (!m_scanActive)
        throw WalkCancelled{};
}

// The start of a visit of the directory the list shows: the event pump, and
// the end at once when a Cancel came. An error raised here is the caller's.
void FolderScan::startVisit(Walk &walk, ReturnPath backPath)
{
    ++m_foldersVisited;
    m_frontEnd.pumpEvents();
    m_hasPumped = true;
    if (!m_scanActive) {
        passResult(walk, true); // the visit never began: nothing to end
        return;
    }
    Visit visit;
    visit.pathLength = m_dir.Path().size();
    visit.backPath = std::move(backPath);
    walk.visits.push_back(std::move(visit));
}

// Carries the innermost visit on until it starts a child visit or ends.
// From here on, an error raised by the visit's own steps ends that visit.
void FolderScan::advance(Walk &walk)
{
    Visit &visit = walk.visits.back();
    try {
        if (!visit.subdirectories) {
            visit.subdirectories = m_dir.listing();
            visit.remaining = m_dir.ListCount();
            noteLeftOut(walk);
        }
        if (visit.childResult) {
            const bool stopped = *visit.childResult;
            visit.childResult.reset();
            --visit.remaining;
            if (stopped) {
                endVisit(walk, false);
                return;
            }
        }
        if (visit.remaining > 0 && m_scanActive) {
            takeTurn(walk);
            return;
        }
        finishVisit(visit);
        endVisit(walk, false);
    } catch (const RuntimeError &error) {
        endVisit(walk, handleError(error.number(), error.description()));
    } catch (const std::bad_alloc &) {
        endVisit(walk, handleOutOfMemory());
    }
}

// One turn: back to the visit's directory, into its subdirectory number
// `remaining` - 1, and the start of that subdirectory's visit.
void FolderScan::takeTurn(Walk &walk)
{
    Visit &visit = walk.visits.back();
    ReturnPath savedPath = pathToReturnTo(visit);
    // The previous child's normal end has just set the list back here. The
    // visit walks the subdirectories it began with: what the directory holds
    // now is looked at when its own files come.
    if (savedPath.length != visit.pathLength)
        m_dir.returnTo(visit.pathLength, DirectoryCache::Listing::Kept);
    visit.enteredSubdirectory = true;
    m_dir.enterSubdirectory(
        visit.subdirectories->subdirectories[std::size_t(visit.remaining - 1)].name);
    startVisit(walk, std::move(savedPath));
}

// Tells the front end what the directory of the visit just begun leaves
// out: itself, where a later disk of a package begins, and each of its
// subdirectories the user may not read.
void FolderScan::noteLeftOut(Walk &walk)
{
    Visit &visit = walk.visits.back();
    const QByteArray &path = m_dir.Path();
    const std::size_t depth = walk.visits.size();
    const Visit *parent = depth > 1 ? &walk.visits[depth - 2] : nullptr;
    visit.diskNames =
        parent ? diskNamesBelow(parent->diskNames, path.mid(path.lastIndexOf(PathSeparator) + 1))
               : diskNamesOf(path);
    if (visit.diskNames.onLaterDisk() && !(parent && parent->diskNames.onLaterDisk())) {
        ++m_leftOut.laterDisks;
        m_frontEnd.directoryLeftOut(m_dir.Path(), LeftOutReason::LaterDisk, 0);
    }
    for (const UnreadableSubdirectory &subdirectory : visit.subdirectories->unreadable) {
        ++m_leftOut.unreadable;
        m_frontEnd.directoryLeftOut(childPath(m_dir.Path(), subdirectory.name),
                                    LeftOutReason::Unreadable, subdirectory.error);
    }
}

void FolderScan::endVisit(Walk &walk, bool result)
{
    walk.visits.pop_back();
    passResult(walk, result);
}

// The result of a visit goes to its caller, or is the walk's for the top.
void FolderScan::passResult(Walk &walk, bool result)
{
    if (walk.visits.empty())
        walk.result = result;
    else
        walk.visits.back().childResult = result;
}

// The visit's own lines, after all its subdirectories, and the way back.
void FolderScan::finishVisit(const Visit &visit)
{
    // The directory's files as they are now: read again if it has changed
    // while its subdirectories were walked. A child ended by an out-of-memory
    // error below it leaves the list where the error struck. After a Cancel
    // the list stays where it is: nothing more is read.
    if (m_scanActive && (visit.enteredSubdirectory || m_dir.Path().size() != visit.pathLength))
        m_dir.returnTo(visit.pathLength);
    if (visitFiles(visit.diskNames))
        returnTo(visit.backPath);
}

// The list's path as a visit in progress reads it. The list stands on the
// visit's directory or below it, so the same length means the same path.
FolderScan::ReturnPath FolderScan::pathToReturnTo(const Visit &visit) const
{
    if (m_dir.Path().size() == visit.pathLength)
        return {visit.pathLength, {}};
    return {-1, m_dir.Path()};
}

// Back to the caller's directory, in the middle of its visit: its listing
// stays as the visit began with it.
void FolderScan::returnTo(const ReturnPath &path)
{
    if (path.length >= 0)
        m_dir.returnTo(path.length, DirectoryCache::Listing::Kept);
    else if (!path.text.isEmpty())
        m_dir.setPath(path.text);
}

// Writes the directory's own lines, unless it is skipped. False when a
// Cancel came first: then nothing more may be written.
bool FolderScan::visitFiles(DiskNames diskNames)
{
    const qint64 fileCount = m_files.ListCount();
    if (fileCount == 0 || diskNames.onLaterDisk())
        return true;
    if (!m_scanActive)
        return false;

    const FolderKind kind = m_classifier.ClassifyFolder(fileCount, m_dir.Path());
    // A Cancel during the classification leaves it half done: no summary.
    if (!m_scanActive)
        return false;
    if (kind != FolderKind::None)
        m_output->WriteSummary(kindMarker(kind), m_files, fileCount);
    else
        m_output->ListFolderFiles(m_files, fileCount);
    return true;
}

// Out of memory ends this visit and, through its result, its caller; the
// walk goes on above them. Any other error ends the program.
bool FolderScan::handleError(int number, const QString &description)
{
    if (number == ErrorNumber::OutOfMemory)
        return handleOutOfMemory();
    m_frontEnd.messageBox(description, MessageStyle::Plain);
    m_frontEnd.endProgram();
    throw ProgramEnded{};
}

bool FolderScan::handleOutOfMemory()
{
    ++m_outOfMemoryErrors;
    m_frontEnd.messageBox(QStringLiteral("Out of memory, you've filled the list box."),
                          MessageStyle::Plain);
    return true;
}
