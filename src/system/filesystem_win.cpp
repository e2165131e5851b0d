// SPDX-License-Identifier: GPL-3.0-or-later
// Directory reading and length queries on Windows, through the wide-character
// functions. Subdirectories and files are opened relative to the handle of
// their directory, so no path is handed to the system whole.

#include "filesystem.h"

#include "entryorder.h"
#include "errortext.h"
#include "names.h"
#include "pathsyntax.h"
#include "runtimeerror.h"
#include "windowsfiles_win.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <winternl.h>

namespace {

// A modification time this close to the moment of reading may still change
// within the same tick of a coarse file system clock (two seconds on FAT);
// such a stamp proves nothing, and the directory is read again next time.
constexpr qint64 UntrustedStampSeconds = 2;

// Handles kept open at most. Windows sets no small limit on them.
constexpr std::size_t MaximumHandles = 128;

// File times count 100-nanosecond ticks since 1601.
constexpr qint64 TicksPerSecond = 10'000'000;
constexpr qint64 NanosecondsPerTick = 100;

constexpr ACCESS_MASK DirectoryAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ULONG RelativeOpen = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
// A directory opened as a directory: a link or a junction is opened itself,
// never followed, and then refused.
constexpr ULONG ChildDirectoryOpen = RelativeOpen | FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;
constexpr ULONG FileOpen = RelativeOpen | FILE_NON_DIRECTORY_FILE;

constexpr DWORD HidingAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

constexpr DWORD ListingBufferSize = 64 * 1024;

constexpr NTSTATUS FileIsADirectory = NTSTATUS(0xC00000BAL);

// Opens `name` inside the open directory `directory`. On failure the handle
// is INVALID_HANDLE_VALUE and the last error says why.
HANDLE openRelative(HANDLE directory, const QByteArray &name, ACCESS_MASK access, ULONG options)
{
    std::wstring wide = wideName(name);
    UNICODE_STRING unicodeName;
    unicodeName.Buffer = wide.data();
    unicodeName.Length = USHORT(wide.size() * sizeof(wchar_t));
    unicodeName.MaximumLength = unicodeName.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicodeName, OBJ_CASE_INSENSITIVE, directory, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS result = NtCreateFile(&handle, access, &attributes, &status, nullptr, 0,
                                         ShareAll, FILE_OPEN, options, nullptr, 0);
    if (result >= 0)
        return handle;
    // A directory where a file was listed is no longer the file the list shows.
    SetLastError(result == FileIsADirectory ? ERROR_FILE_NOT_FOUND : RtlNtStatusToDosError(result));
    return INVALID_HANDLE_VALUE;
}

int lastErrno()
{
    return errnoFromWindowsError(GetLastError());
}

// The last failure of this thread's calls on the file or directory at
// `path`, with Windows' own words for it.
RuntimeError lastFileError(const QByteArray &path)
{
    const DWORD error = GetLastError();
    return RuntimeError::forFile(errnoFromWindowsError(error), path, windowsErrorText(error));
}

RuntimeError lastDirectoryError(const QByteArray &path)
{
    const DWORD error = GetLastError();
    return RuntimeError::forDirectory(errnoFromWindowsError(error), path, windowsErrorText(error));
}

// 0 when the user may open and read the subdirectory `name`, or why not
// (an errno value).
int accessError(HANDLE directory, const QByteArray &name)
{
    const HANDLE child = openRelative(directory, name, DirectoryAccess, ChildDirectoryOpen);
    if (child == INVALID_HANDLE_VALUE)
        return lastErrno();
    CloseHandle(child);
    return 0;
}

// True when the link `name` leads to a file that is no directory.
bool leadsToFile(HANDLE directory, const QByteArray &name)
{
    const HANDLE target =
        openRelative(directory, name, FILE_READ_ATTRIBUTES | SYNCHRONIZE, FileOpen);
    if (target == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(target);
    return true;
}

bool isDotOrDotDot(const QByteArray &name)
{
    return name == "." || name == "..";
}

// Sorts one entry of a listing into the lists: visible real directories the
// user can open and read (the others apart, with why), visible files and
// links to files.
void addEntry(DirectoryListing &listing, HANDLE directory, const FILE_ID_BOTH_DIR_INFO &info)
{
    QByteArray name = utf8Name(info.FileName, info.FileNameLength / sizeof(wchar_t));
    const DWORD attributes = info.FileAttributes;
    if (isDotOrDotDot(name) || (attributes & HidingAttributes) ||
        (attributes & FILE_ATTRIBUTE_DEVICE))
        return;
    const bool isLink = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (isLink)
            return;
        if (const int error = accessError(directory, name))
            listing.unreadable.push_back({std::move(name), error});
        else
            listing.subdirectories.push_back(makeEntry(std::move(name)));
    } else if (!isLink) {
        // The listing tells a file's length: no need to open it for that.
        DirectoryEntry file = makeEntry(std::move(name));
        file.length = info.EndOfFile.QuadPart;
        listing.files.push_back(std::move(file));
    } else if (leadsToFile(directory, name)) {
        listing.files.push_back(makeEntry(std::move(name))); // measured where it leads
    }
}

qint64 ticksOf(const FILETIME &time)
{
    return qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// Seconds from 1601, where Windows counts from, to 1970.
constexpr qint64 SecondsBefore1970 = 11'644'473'600;

// The length and last modification of the open file `file`.
FileStatus statusOf(HANDLE file, const QByteArray &path)
{
    FILE_BASIC_INFO basic;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        throw lastFileError(path);
    const qint64 ticks = basic.LastWriteTime.QuadPart;
    return {size.QuadPart, ticks / TicksPerSecond - SecondsBefore1970};
}

// The path of the directory open as `handle`, with its "\\?\" prefix.
std::wstring finalPath(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);
    }
}

HANDLE openDirectoryPath(const std::wstring &path)
{
    const QuietDriveErrors quiet;
    return CreateFileW(path.c_str(), DirectoryAccess, ShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool isDirectory(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isReparsePoint(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

struct DirectoryHandle::Stream
{
    std::vector<char> buffer;
};

DirectoryHandle::DirectoryHandle(NativeHandle descriptor)
    : m_stream(std::make_unique<Stream>()), m_descriptor(descriptor)
{}

DirectoryHandle::~DirectoryHandle()
{
    CloseHandle(m_descriptor);
}

std::unique_ptr<DirectoryHandle> DirectoryHandle::open(const QByteArray &path)
{
    const HANDLE handle = openDirectoryPath(longWidePath(path));
    if (handle == INVALID_HANDLE_VALUE)
        throw lastDirectoryError(path);
    if (!isDirectory(handle)) {
        CloseHandle(handle);
        throw RuntimeError::forDirectory(ENOTDIR, path);
    }
    return std::unique_ptr<DirectoryHandle>(new DirectoryHandle(handle));
}

std::unique_ptr<DirectoryHandle> DirectoryHandle::openChild(const DirectoryHandle &parent,
                                                            const QByteArray &name,
                                                            const QByteArray &parentPath)
{
    const HANDLE handle =
        openRelative(parent.m_descriptor, name, DirectoryAccess, ChildDirectoryOpen);
    if (handle == INVALID_HANDLE_VALUE)
        throw lastDirectoryError(childPath(parentPath, name));
    // A link or junction where a directory was listed is no directory to enter.
    if (isReparsePoint(handle)) {
        CloseHandle(handle);
        throw RuntimeError::forDirectory(ENOTDIR, childPath(parentPath, name));
    }
    return std::unique_ptr<DirectoryHandle>(new DirectoryHandle(handle));
}

std::unique_ptr<DirectoryHandle>
DirectoryHandle::openParent(const DirectoryIdentity &expected) const
{
    std::wstring path = finalPath(m_descriptor);
    const std::size_t lastSeparator = path.find_last_of(L'\\');
    if (path.empty() || lastSeparator == std::wstring::npos || lastSeparator + 1 == path.size())
        return nullptr; // the root of a volume, which has no parent
    path.resize(lastSeparator);
    if (path.size() > 0 && path.back() == L':')
        path += L'\\';
    const HANDLE handle = openDirectoryPath(path);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    std::unique_ptr<DirectoryHandle> parent(new DirectoryHandle(handle));
    if (!parent->stamp().isValid() || parent->identity() != expected)
        return nullptr;
    return parent;
}

DirectoryStamp DirectoryHandle::stamp() const
{
    BY_HANDLE_FILE_INFORMATION info;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandle(m_descriptor, &info) ||
        !GetFileInformationByHandleEx(m_descriptor, FileStandardInfo, &standard, sizeof standard) ||
        standard.DeletePending)
        return {}; // gone: never equal to the stamp of a read
    m_identity = {info.dwVolumeSerialNumber,
                  (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    const qint64 ticks = ticksOf(info.ftLastWriteTime);
    return {ticks / TicksPerSecond, (ticks % TicksPerSecond) * NanosecondsPerTick};
}

// A directory's identity takes a handle of its own here: the caller opens it.
std::optional<DirectoryStatus> DirectoryHandle::subdirectoryStatus(const QByteArray &) const
{
    return std::nullopt;
}

// Only a file on a remote share has a protocol to tell of.
bool DirectoryHandle::isOnNetworkShare() const
{
    FILE_REMOTE_PROTOCOL_INFO protocol{};
    return GetFileInformationByHandleEx(m_descriptor, FileRemoteProtocolInfo, &protocol,
                                        sizeof protocol) != 0;
}

// Each read lists the directory through a handle of its own: a handle
// that has been listed before may give its first listing again (Wine keeps
// it), which would hide every change made since.
DirectoryListing DirectoryHandle::read(const QByteArray &path,
                                       const std::function<void()> &whileReading)
{
    const HANDLE lister = openRelative(m_descriptor, QByteArray(), DirectoryAccess, RelativeOpen);
    if (lister == INVALID_HANDLE_VALUE)
        throw lastDirectoryError(path);
    const auto closeLister = qScopeGuard([lister] { CloseHandle(lister); });
    std::vector<char> &buffer = m_stream->buffer;
    buffer.resize(ListingBufferSize);
    DirectoryListing listing;
    std::size_t entries = 0;
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(lister, request, buffer.data(), DWORD(buffer.size()))) {
        request = FileIdBothDirectoryInfo;
        for (std::size_t at = 0;;) {
            const auto *info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(buffer.data() + at);
            if (whileReading && ++entries % EntriesBetweenCalls == 0)
                whileReading();
            addEntry(listing, m_descriptor, *info);
            if (info->NextEntryOffset == 0)
                break;
            at += info->NextEntryOffset;
        }
    }
    if (GetLastError() != ERROR_NO_MORE_FILES)
        throw lastDirectoryError(path);

    sortEntries(listing.subdirectories, whileReading);
    sortEntries(listing.files, whileReading);
    return listing;
}

// For links: the listing itself tells the length of every other file.
qint64 DirectoryHandle::fileLength(const QByteArray &name, const QByteArray &path) const
{
    return fileStatus(name, path).length;
}

FileStatus DirectoryHandle::fileStatus(const QByteArray &name, const QByteArray &path) const
{
    const HANDLE file =
        openRelative(m_descriptor, name, FILE_READ_ATTRIBUTES | SYNCHRONIZE, FileOpen);
    if (file == INVALID_HANDLE_VALUE)
        throw lastFileError(childPath(path, name));
    const auto closeFile = qScopeGuard([file] { CloseHandle(file); });
    return statusOf(file, childPath(path, name));
}

bool isTrustworthyStamp(const DirectoryStamp &stamp)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const qint64 age = ticksOf(now) / TicksPerSecond - stamp.seconds;
    return age < 0 || age >= UntrustedStampSeconds;
}

qint64 fileLength(const QByteArray &path)
{
    return fileStatus(path).length;
}

FileStatus fileStatus(const QByteArray &path)
{
    const QuietDriveErrors quiet;
    const HANDLE file = CreateFileW(longWidePath(path).c_str(), FILE_READ_ATTRIBUTES, ShareAll,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw lastFileError(path);
    const auto closeFile = qScopeGuard([file] { CloseHandle(file); });
    return statusOf(file, path);
}

std::size_t directoryHandleBudget()
{
    return MaximumHandles;
}

// Here the walk cannot tell a subdirectory's identity without opening it:
// keeping the workers' handles would gain nothing.
std::size_t takeOverHandleBudget()
{
    return 0;
}
