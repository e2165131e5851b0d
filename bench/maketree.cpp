// SPDX-License-Identifier: GPL-3.0-or-later
// tallywick-maketree: writes a directory tree for the benchmarks.
//
// The tree is the same on every machine: every choice comes from one
// splitmix64 stream with a fixed seed, and only integer arithmetic turns its
// output into counts, names and sizes. Files are sparse (created empty and
// then given their length with ftruncate), so even the million-file tree
// takes little more than its inodes and directory blocks on disk.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Raise this whenever a change alters the trees, so that the runner knows to
// throw away trees it made earlier.
constexpr int kLayoutVersion = 1;

constexpr std::uint64_t kSeed = 0x7a11'7c1c'2026'0001ULL;

constexpr std::int64_t KiB = 1024;
constexpr std::int64_t MiB = 1024 * KiB;
constexpr std::int64_t GiB = 1024 * MiB;

class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high]. The modulo bias is far below anything a
    // benchmark tree could show.
    std::int64_t between(std::int64_t low, std::int64_t high)
    {
        const auto span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<std::int64_t>(next() % span);
    }

    // True `perMille` times in a thousand.
    bool chance(int perMille) { return between(0, 999) < perMille; }

    // Spread evenly over the powers of two between low and high, then
    // uniformly inside the chosen power: many small values, a few large ones.
    std::int64_t logBetween(std::int64_t low, std::int64_t high)
    {
        if (low < 1)
            low = 1;
        const int lowBits = bitLength(low);
        const int highBits = bitLength(high);
        const int bits = static_cast<int>(between(lowBits, highBits));
        const std::int64_t from = std::max(low, std::int64_t(1) << (bits - 1));
        const std::int64_t to = std::min(high, (std::int64_t(1) << bits) - 1);
        return between(from, to);
    }

    template <typename T, std::size_t N> const T &pick(const T (&items)[N])
    {
        return items[between(0, static_cast<std::int64_t>(N) - 1)];
    }

private:
    static int bitLength(std::int64_t value)
    {
        int bits = 0;
        while (value > 0) {
            ++bits;
            value >>= 1;
        }
        return bits;
    }

    std::uint64_t m_state;
};

// ---------------------------------------------------------------------------
// Names

const char *const kWords[] = {
    "read",   "me",     "data",    "game",    "level",   "track",  "photo",    "holiday",
    "report", "letter", "budget",  "invoice", "backup",  "config", "notes",    "draft",
    "final",  "sound",  "image",   "scan",    "summer",  "winter", "party",    "family",
    "school", "work",   "project", "archive", "old",     "new",    "misc",     "temp",
    "demo",   "tools",  "utils",   "driver",  "manual",  "guide",  "index",    "chapter",
    "part",   "map",    "city",    "beach",   "garden",  "house",  "travel",   "office",
    "tax",    "bank",   "recipe",  "diary",   "song",    "album",  "live",     "remix",
    "intro",  "theme",  "story",   "world",   "space",   "star",   "castle",   "dragon",
    "racer",  "puzzle", "chess",   "paint",   "print",   "font",   "help",     "source",
    "lib",    "test",   "mail",    "news",    "weather", "river",  "mountain", "forest",
    "club",   "team",   "cup",     "match",   "score",   "result", "plan",     "list",
    "copy",   "garage", "view",    "edit",    "sample",  "patch",  "update",   "fix",
};

// A few names that are not plain ASCII, so that the lists meet multi-byte
// UTF-8 and case folding outside ASCII.
const char *const kAccentedWords[] = {
    "caf\303\251",  "m\303\274ller",          "gr\303\266\303\237e",
    "se\303\261or", "\303\205ngstr\303\266m", "f\303\252te",
};

const char *const kPlainExtensions[] = {
    "txt", "doc", "rtf", "pdf", "htm", "html", "c",   "h",   "cpp", "pas",  "bas", "asm",
    "ini", "cfg", "log", "dat", "bin", "csv",  "xls", "zip", "lzh", "arj",  "gz",  "tar",
    "bak", "hlp", "ttf", "fon", "lst", "tmp",  "me",  "1st", "xml", "json", "md",  "ps",
};

const char *const kPictureExtensions[] = {"jpg", "jpg", "jpg", "gif", "gif", "bmp", "pcx"};
const char *const kMusicExtensions[] = {"mp3", "mp3", "mp3", "mp3", "mp2", "wav", "mid", "mod"};
const char *const kVideoExtensions[] = {"mpg", "mpg", "avi", "avi", "mov", "fli"};
const char *const kSetupSupportExtensions[] = {"dll", "cab", "cab", "ini", "inf",
                                               "hlp", "txt", "dat", "ex_", "dl_"};
const char *const kProgramNames[] = {"game", "play", "run",   "start", "edit",  "view",
                                     "calc", "draw", "chess", "racer", "paint", "term"};
const char *const kHiddenNames[] = {".hidden", ".index", ".thumbs", ".lock", ".settings"};

std::string lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string capitalised(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// The longest prefix of at most `bytes` bytes that does not split a UTF-8
// sequence.
std::size_t cutPoint(const std::string &text, std::size_t bytes)
{
    while (bytes > 0 && bytes < text.size() &&
           (static_cast<unsigned char>(text[bytes]) & 0xc0) == 0x80)
        --bytes;
    return bytes;
}

enum class Casing { Dos, Lower, Title, Long };

class NameMaker
{
public:
    explicit NameMaker(Random &random) : m_random(random) {}

    Casing casing()
    {
        const auto roll = m_random.between(0, 99);
        if (roll < 30)
            return Casing::Dos;
        if (roll < 55)
            return Casing::Lower;
        if (roll < 90)
            return Casing::Title;
        return Casing::Long;
    }

    // A base name (no extension) in the given casing.
    std::string stem(Casing casing)
    {
        std::string result;
        switch (casing) {
        case Casing::Dos: {
            result = upper(word());
            if (m_random.chance(500))
                result += upper(word());
            const bool numbered = m_random.chance(400);
            const std::size_t room = numbered ? 6 : 8;
            if (result.size() > room)
                result.resize(cutPoint(result, room));
            if (numbered)
                result += number(2);
            break;
        }
        case Casing::Lower: {
            const char *const separators[] = {"_", "-", "", "."};
            const auto words = m_random.between(1, 3);
            const std::string separator = m_random.pick(separators);
            for (int i = 0; i < words; ++i) {
                if (i > 0)
                    result += separator;
                result += word();
            }
            if (m_random.chance(300))
                result += number(static_cast<int>(m_random.between(1, 3)));
            break;
        }
        case Casing::Title: {
            const auto words = m_random.between(1, 3);
            const bool spaced = m_random.chance(500);
            for (int i = 0; i < words; ++i) {
                if (i > 0 && spaced)
                    result += ' ';
                result += capitalised(word());
            }
            if (m_random.chance(300))
                result += (spaced ? " " : "") + number(static_cast<int>(m_random.between(1, 4)));
            break;
        }
        case Casing::Long: {
            const auto words = m_random.between(3, 7);
            for (int i = 0; i < words; ++i) {
                if (i > 0)
                    result += ' ';
                result += m_random.chance(700) ? capitalised(word()) : word();
            }
            if (m_random.chance(500))
                result += " (" + number(4) + ")";
            break;
        }
        }
        return result;
    }

    std::string fileName(const std::string &extension)
    {
        const Casing c = casing();
        const std::string base = stem(c);
        return base + "." + (c == Casing::Dos ? upper(extension) : extension);
    }

    // A numbered member of a series, as cameras and rippers write them.
    std::string seriesName(const std::string &prefix, std::int64_t index, const std::string &ext,
                           bool upperCase)
    {
        std::string digits = std::to_string(index);
        while (digits.size() < 4)
            digits.insert(digits.begin(), '0');
        const std::string name = prefix + digits + "." + ext;
        return upperCase ? upper(name) : name;
    }

    // A directory name. It never starts with "disk" (those directories are
    // made on purpose, see makePackage) nor with a dot.
    std::string directoryName()
    {
        for (;;) {
            std::string name = stem(casing());
            if (lower(name).rfind("disk", 0) != 0)
                return name;
        }
    }

    std::string number(int digits)
    {
        std::string text;
        for (int i = 0; i < digits; ++i)
            text += static_cast<char>('0' + m_random.between(0, 9));
        return text;
    }

private:
    std::string word()
    {
        if (m_random.chance(8))
            return m_random.pick(kAccentedWords);
        return m_random.pick(kWords);
    }

    Random &m_random;
};

// ---------------------------------------------------------------------------
// Writing

std::string errorText(const std::string &what, const std::string &name)
{
    return what + " \"" + name + "\": " + std::strerror(errno);
}

class Directory
{
public:
    Directory(int descriptor, std::string path) : m_fd(descriptor), m_path(std::move(path)) {}
    ~Directory()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Directory(const Directory &) = delete;
    Directory &operator=(const Directory &) = delete;

    int fd() const { return m_fd; }
    const std::string &path() const { return m_path; }

    // Reserves a name unused in this directory, ignoring case, so that the
    // tree also fits a case-insensitive file system. `make` is called again
    // until it gives a fresh name; after a few tries a counter is appended.
    template <typename Make> std::string reserve(Make make)
    {
        for (int attempt = 0;; ++attempt) {
            std::string name = make();
            if (attempt >= 4) {
                const auto dot = name.rfind('.');
                const auto at = dot == std::string::npos || dot == 0 ? name.size() : dot;
                name.insert(at, "~" + std::to_string(attempt));
            }
            if (m_taken.insert(lower(name)).second)
                return name;
        }
    }

private:
    int m_fd;
    std::string m_path;
    std::unordered_set<std::string> m_taken;
};

struct Totals
{
    std::int64_t directories = 0;
    std::int64_t files = 0;
    std::int64_t hidden = 0;
    std::int64_t bytes = 0;
};

class TreeWriter
{
public:
    explicit TreeWriter(bool progress) : m_progress(progress) {}

    std::unique_ptr<Directory> makeDirectory(Directory &parent, const std::string &name)
    {
        if (::mkdirat(parent.fd(), name.c_str(), 0755) != 0)
            throw std::runtime_error(
                errorText("cannot create directory", parent.path() + "/" + name));
        const int fd = ::openat(parent.fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error(
                errorText("cannot open directory", parent.path() + "/" + name));
        ++m_totals.directories;
        if (name[0] == '.')
            ++m_totals.hidden;
        return std::make_unique<Directory>(fd, parent.path() + "/" + name);
    }

    void makeFile(Directory &parent, const std::string &name, std::int64_t size)
    {
        const int fd = ::openat(parent.fd(), name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
        if (fd < 0)
            throw std::runtime_error(errorText("cannot create file", parent.path() + "/" + name));
        if (size > 0 && ::ftruncate(fd, size) != 0) {
            const std::string message =
                errorText("cannot set the length of", parent.path() + "/" + name);
            ::close(fd);
            throw std::runtime_error(message);
        }
        ::close(fd);
        ++m_totals.files;
        m_totals.bytes += size;
        if (name[0] == '.')
            ++m_totals.hidden;
        if (m_progress && m_totals.files % 20000 == 0)
            std::fprintf(stderr, "\r%lld files, %lld directories",
                         static_cast<long long>(m_totals.files),
                         static_cast<long long>(m_totals.directories));
    }

    void finishProgress() const
    {
        if (m_progress)
            std::fputc('\n', stderr);
    }

    const Totals &totals() const { return m_totals; }

private:
    Totals m_totals;
    bool m_progress;
};

// ---------------------------------------------------------------------------
// The shape of the trees

// What a directory holds besides its subdirectories.
enum class Content { Plain, Empty, Pictures, Music, Video, Setup, Program };

class TreeMaker
{
public:
    TreeMaker(TreeWriter &writer, Random &random)
        : m_writer(writer), m_random(random), m_names(random)
    {}

    // A tree of `topFolders` top-level directories, each branching down to
    // four to six levels below the root.
    void makeMixedTree(Directory &root, int topFolders)
    {
        for (int i = 0; i < topFolders; ++i)
            makeFolder(root, 1);
        addPlainFiles(root, 3);
    }

    // The same, but most directories below the second level are pictures,
    // music or video: a disk of collections, where few lengths are needed.
    void makeCollectionTree(Directory &root, int topFolders)
    {
        m_collections = true;
        makeMixedTree(root, topFolders);
    }

    // One directory holding `count` subdirectories of two files each.
    void makeWideTree(Directory &root, int count)
    {
        for (int i = 0; i < count; ++i) {
            auto child = m_writer.makeDirectory(
                root, root.reserve([this] { return m_names.directoryName(); }));
            addPlainFiles(*child, 2);
        }
    }

private:
    void makeFolder(Directory &parent, int depth)
    {
        auto dir = m_writer.makeDirectory(
            parent, parent.reserve([this] { return m_names.directoryName(); }));
        if (depth >= 3 && depth <= 4 && m_random.chance(10)) {
            makePackage(*dir);
            return;
        }

        const Content content = chooseContent(depth);
        fill(*dir, content);

        if (m_random.chance(4))
            addHiddenFile(*dir);
        if (depth >= 2 && depth <= 5 && m_random.chance(2))
            addHiddenDirectory(*dir);

        const bool collection = content != Content::Plain && content != Content::Empty;
        const int children = collection && depth >= 3 ? 0 : childCount(depth);
        for (int i = 0; i < children; ++i)
            makeFolder(*dir, depth + 1);
    }

    Content chooseContent(int depth)
    {
        if (m_collections && depth >= 2)
            return chooseCollection();
        if (depth <= 2)
            return m_random.chance(300) ? Content::Empty : Content::Plain;
        const auto roll = m_random.between(0, 999);
        if (roll < 60)
            return Content::Pictures;
        if (roll < 100)
            return Content::Music;
        if (roll < 120)
            return Content::Video;
        if (roll < 145)
            return Content::Setup;
        if (roll < 150)
            return Content::Program;
        if (roll < 190)
            return Content::Empty;
        return Content::Plain;
    }

    Content chooseCollection()
    {
        const auto roll = m_random.between(0, 999);
        if (roll < 450)
            return Content::Pictures;
        if (roll < 700)
            return Content::Music;
        if (roll < 850)
            return Content::Video;
        if (roll < 900)
            return Content::Empty;
        return Content::Plain;
    }

    int childCount(int depth)
    {
        switch (depth) {
        case 1:
            return static_cast<int>(m_random.between(6, 10));
        case 2:
            return static_cast<int>(m_random.between(4, 8));
        case 3:
            return static_cast<int>(m_random.between(3, 7));
        case 4:
            return static_cast<int>(m_random.between(0, 4));
        case 5:
            return m_random.chance(600) ? 0 : static_cast<int>(m_random.between(1, 3));
        default:
            return 0;
        }
    }

    void fill(Directory &dir, Content content)
    {
        switch (content) {
        case Content::Empty:
            break;
        case Content::Plain:
            addPlainFiles(dir, plainFileCount());
            break;
        case Content::Pictures:
            addPictures(dir);
            break;
        case Content::Music:
            addMusic(dir);
            break;
        case Content::Video:
            addVideo(dir);
            break;
        case Content::Setup:
            addSetup(dir, "setup.exe");
            break;
        case Content::Program:
            addProgram(dir);
            break;
        }
    }

    int plainFileCount()
    {
        const auto roll = m_random.between(0, 99);
        if (roll < 70)
            return static_cast<int>(m_random.between(1, 8));
        if (roll < 95)
            return static_cast<int>(m_random.between(9, 20));
        return static_cast<int>(m_random.between(21, 80));
    }

    // Ordinary files: mostly small, now and then large, rarely above 4 GiB.
    std::int64_t plainSize()
    {
        const auto roll = m_random.between(0, 999);
        if (roll < 30)
            return 0;
        if (roll < 500)
            return m_random.between(1, 4 * KiB);
        if (roll < 800)
            return m_random.between(4 * KiB, 64 * KiB);
        if (roll < 950)
            return m_random.logBetween(64 * KiB, MiB);
        if (roll < 995)
            return m_random.logBetween(MiB, 64 * MiB);
        if (roll < 999)
            return m_random.logBetween(64 * MiB, 2 * GiB);
        return m_random.between(4 * GiB, 6 * GiB);
    }

    void addPlainFiles(Directory &dir, int count)
    {
        for (int i = 0; i < count; ++i) {
            std::string name = dir.reserve([this] {
                // Now and then a picture or a tune among ordinary files, too
                // few to make a collection.
                if (m_random.chance(20))
                    return m_names.fileName(m_random.pick(kPictureExtensions));
                if (m_random.chance(10))
                    return m_names.fileName(m_random.pick(kMusicExtensions));
                return m_names.fileName(m_random.pick(kPlainExtensions));
            });
            m_writer.makeFile(dir, name, plainSize());
        }
    }

    // Well above the share that makes a collection: at most one extra file
    // for every eight members.
    void addExtras(Directory &dir, int members)
    {
        const int extras = static_cast<int>(m_random.between(0, members / 8));
        for (int i = 0; i < extras; ++i) {
            const char *const names[] = {"readme.txt", "INDEX.TXT", "Info.nfo",   "desc.sdi",
                                         "list.m3u",   "thumbs.db", "FILE_ID.DIZ"};
            const std::string name = dir.reserve([&] { return std::string(m_random.pick(names)); });
            m_writer.makeFile(dir, name, m_random.between(10, 8 * KiB));
        }
    }

    void addPictures(Directory &dir)
    {
        const int count = static_cast<int>(m_random.logBetween(6, 64));
        const bool series = m_random.chance(500);
        const bool oneType = m_random.chance(500);
        const std::string type = m_random.pick(kPictureExtensions);
        const bool upperCase = m_random.chance(400);
        const char *const prefixes[] = {"img_", "dsc", "pict", "scan", "p"};
        const std::string prefix = m_random.pick(prefixes);
        for (int i = 0; i < count; ++i) {
            const std::string ext = oneType ? type : m_random.pick(kPictureExtensions);
            const std::string name = dir.reserve([&] {
                return series ? m_names.seriesName(prefix, i + 1, ext, upperCase)
                              : m_names.fileName(ext);
            });
            m_writer.makeFile(dir, name, m_random.logBetween(8 * KiB, 6 * MiB));
        }
        addExtras(dir, count);
    }

    void addMusic(Directory &dir)
    {
        const int count = static_cast<int>(m_random.between(4, 24));
        const std::string type = m_random.pick(kMusicExtensions);
        for (int i = 0; i < count; ++i) {
            const std::string name = dir.reserve([&] {
                std::string track = std::to_string(i + 1);
                if (track.size() < 2)
                    track.insert(track.begin(), '0');
                return track + " - " + m_names.stem(Casing::Title) + "." + type;
            });
            std::int64_t size = 0;
            if (type == "mid" || type == "mod")
                size = m_random.logBetween(2 * KiB, 512 * KiB);
            else if (type == "wav")
                size = m_random.logBetween(64 * KiB, 80 * MiB);
            else
                size = m_random.logBetween(MiB, 16 * MiB);
            m_writer.makeFile(dir, name, size);
        }
        addExtras(dir, count);
    }

    void addVideo(Directory &dir)
    {
        const int count = static_cast<int>(m_random.between(1, 10));
        for (int i = 0; i < count; ++i) {
            const std::string ext = m_random.pick(kVideoExtensions);
            const std::string name = dir.reserve([&] { return m_names.fileName(ext); });
            const std::int64_t size = m_random.chance(100) ? m_random.between(2 * GiB, 5 * GiB)
                                                           : m_random.logBetween(MiB, 2 * GiB);
            m_writer.makeFile(dir, name, size);
        }
        addExtras(dir, count);
    }

    void addSetup(Directory &dir, const std::string &program)
    {
        const bool dos = m_random.chance(500);
        // One draw per statement: the order in which a call's arguments are
        // evaluated differs between compilers, and so would the tree.
        const std::string installer = dir.reserve([&] { return dos ? upper(program) : program; });
        m_writer.makeFile(dir, installer, m_random.logBetween(40 * KiB, 900 * KiB));
        const int support = static_cast<int>(m_random.between(3, 20));
        for (int i = 0; i < support; ++i) {
            const std::string ext = m_random.pick(kSetupSupportExtensions);
            const std::string name = dir.reserve([&] {
                if (ext == "cab")
                    return m_names.seriesName(dos ? "DATA" : "data", i + 1, ext, dos);
                return m_names.fileName(ext);
            });
            const std::int64_t size = ext == "cab" ? m_random.logBetween(MiB, 40 * MiB)
                                                   : m_random.logBetween(KiB, 2 * MiB);
            m_writer.makeFile(dir, name, size);
        }
    }

    // A program that is not an installer: the catalogue has to ask.
    void addProgram(Directory &dir)
    {
        const std::string program = std::string(m_random.pick(kProgramNames)) + ".exe";
        const std::string name = dir.reserve([&] { return program; });
        m_writer.makeFile(dir, name, m_random.logBetween(20 * KiB, 8 * MiB));
        addPlainFiles(dir, static_cast<int>(m_random.between(2, 30)));
    }

    // A package on several disks: Disk1 holds the installer, the other disks
    // hold its archives (and now and then a subdirectory of their own).
    void makePackage(Directory &dir)
    {
        const int disks = static_cast<int>(m_random.between(2, 5));
        const char *const spellings[] = {"disk", "Disk", "DISK"};
        const std::string word = m_random.pick(spellings);
        for (int n = 1; n <= disks; ++n) {
            auto disk =
                m_writer.makeDirectory(dir, dir.reserve([&] { return word + std::to_string(n); }));
            if (n == 1) {
                addSetup(*disk, m_random.chance(300) ? "install.exe" : "setup.exe");
                continue;
            }
            const int archives = static_cast<int>(m_random.between(1, 6));
            for (int i = 0; i < archives; ++i) {
                const std::string name = disk->reserve([&] {
                    return m_names.seriesName("data", (n - 1) * 10 + i, "cab", word == "DISK");
                });
                m_writer.makeFile(*disk, name, m_random.logBetween(MiB, 2 * MiB));
            }
            if (m_random.chance(200)) {
                auto extra = m_writer.makeDirectory(
                    *disk, disk->reserve([this] { return m_names.directoryName(); }));
                addPlainFiles(*extra, static_cast<int>(m_random.between(1, 5)));
            }
        }
        addPlainFiles(dir, static_cast<int>(m_random.between(0, 2)));
    }

    void addHiddenFile(Directory &dir)
    {
        const std::string name =
            dir.reserve([this] { return std::string(m_random.pick(kHiddenNames)); });
        m_writer.makeFile(dir, name, m_random.between(0, 4 * KiB));
    }

    void addHiddenDirectory(Directory &dir)
    {
        const char *const names[] = {".cache", ".trash", ".backup"};
        auto hidden = m_writer.makeDirectory(
            dir, dir.reserve([&] { return std::string(m_random.pick(names)); }));
        addPlainFiles(*hidden, static_cast<int>(m_random.between(1, 10)));
    }

    TreeWriter &m_writer;
    bool m_collections = false;
    Random &m_random;
    NameMaker m_names;
};

// ---------------------------------------------------------------------------

// Opens ROOT, creating it (and its parents) when missing. A ROOT that holds
// anything is refused: the generator only ever writes complete trees.
std::unique_ptr<Directory> openEmptyRoot(const std::string &path)
{
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/')
            continue;
        const std::string prefix = path.substr(0, at);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            throw std::runtime_error(errorText("cannot create directory", prefix));
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(errorText("cannot open directory", path));

    const int listFd = ::dup(fd);
    DIR *listing = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!listing) {
        ::close(fd);
        throw std::runtime_error(errorText("cannot read directory", path));
    }
    bool empty = true;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    ::closedir(listing);
    if (!empty) {
        ::close(fd);
        throw std::runtime_error("\"" + path + "\" is not empty; refusing to write into it");
    }
    return std::make_unique<Directory>(fd, path);
}

std::string humanBytes(std::int64_t bytes)
{
    const char *const units[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
    int unit = 0;
    std::int64_t whole = bytes;
    std::int64_t divisor = 1;
    while (whole >= 1024 && unit < 5) {
        whole /= 1024;
        divisor *= 1024;
        ++unit;
    }
    const std::int64_t tenths = (bytes % divisor) * 10 / divisor;
    return std::to_string(whole) + "." + std::to_string(tenths) + " " + units[unit];
}

void printUsage(std::FILE *to)
{
    std::fputs("usage: tallywick-maketree KIND ROOT\n"
               "       tallywick-maketree --layout-version\n"
               "\n"
               "Writes a fixed benchmark tree of sparse files into ROOT, which must be\n"
               "missing or empty. KIND is one of:\n"
               "  balanced  about 200,000 files in 20,000 directories, 4 to 6 levels deep\n"
               "  wide      one directory holding 20,000 subdirectories of 2 files each\n"
               "  million   about 1,000,000 files in 100,000 directories\n"
               "  collection  like balanced, most directories pictures, music or video\n",
               to);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--layout-version") {
        std::printf("%d\n", kLayoutVersion);
        return 0;
    }
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        printUsage(stdout);
        return 0;
    }
    if (argc != 3) {
        printUsage(stderr);
        return 2;
    }
    const std::string_view kind = argv[1];
    if (kind != "balanced" && kind != "wide" && kind != "million" && kind != "collection") {
        std::fprintf(stderr, "tallywick-maketree: unknown kind \"%s\"\n", argv[1]);
        printUsage(stderr);
        return 2;
    }
    std::string rootPath = argv[2];
    while (rootPath.size() > 1 && rootPath.back() == '/')
        rootPath.pop_back();

    try {
        auto root = openEmptyRoot(rootPath);
        TreeWriter writer(::isatty(STDERR_FILENO) == 1);
        Random random(kSeed);
        TreeMaker maker(writer, random);
        if (kind == "balanced")
            maker.makeMixedTree(*root, 24);
        else if (kind == "million")
            maker.makeMixedTree(*root, 113);
        else if (kind == "collection")
            maker.makeCollectionTree(*root, 96);
        else
            maker.makeWideTree(*root, 20000);
        writer.finishProgress();

        const Totals &totals = writer.totals();
        std::printf("%s: %lld directories, %lld files (%lld hidden entries), %s in all\n", argv[1],
                    static_cast<long long>(totals.directories),
                    static_cast<long long>(totals.files), static_cast<long long>(totals.hidden),
                    humanBytes(totals.bytes).c_str());
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tallywick-maketree: %s\n", error.what());
        return 1;
    }
    return 0;
}
