// SPDX-License-Identifier: GPL-3.0-or-later
// The file line and the summary line as they reach the report file: two
// lines of well-formed UTF-8, each ended by CR LF and holding no other line
// break; the name lower-cased and cut to 18 characters, padded to column
// 20; the number right-aligned in columns 20 to 24 (a longer one whole);
// the unit; and the lower-cased path from column 28 (later by as many
// characters as the number overflows its field). Characters count as code
// points; control characters show as "?".
//
// Input: eight bytes of file length, eight bytes of file count, one byte
// choosing the kind, then the file name, a zero byte, the summary's path.

#include "fuzzcheck.h"

#include "filesize.h"
#include "folderkind.h"
#include "frontend.h"
#include "names.h"
#include "reportfile.h"
#include "reportwriter.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SilentFrontEnd : public FrontEnd
{
public:
    void pumpEvents() override {}
    MessageAnswer messageBox(const QString &, MessageStyle, const QString &) override
    {
        return MessageAnswer::Ok;
    }
    void endProgram() override {}
};

struct Folders
{
    QByteArray base;
    QByteArray files;  // where the file of the file line is made
    QByteArray report; // the report file, outside that folder
};

const Folders &folders();

void removeFolders()
{
    unlink(folders().report.constData());
    rmdir(folders().files.constData());
    rmdir(folders().base.constData());
}

const Folders &folders()
{
    static const Folders made = [] {
        // Memory-backed where there is such a folder: files come and go
        // much faster there.
        char inShm[] = "/dev/shm/tallywick-fuzz-XXXXXX";
        char inTmp[] = "/tmp/tallywick-fuzz-XXXXXX";
        char *base = access("/dev/shm", W_OK) == 0 ? inShm : inTmp;
        FUZZ_CHECK(mkdtemp(base) != nullptr);
        const QByteArray files = QByteArray(base) + "/files";
        FUZZ_CHECK(mkdir(files.constData(), 0700) == 0);
        return Folders{base, files, QByteArray(base) + "/report.txt"};
    }();
    [[maybe_unused]] static const int removedAtExit = std::atexit(removeFolders);
    return made;
}

// A name the file system takes: no "/", at most 255 bytes, not "." or "..".
QByteArray fileNameFrom(QByteArray bytes)
{
    bytes.replace('/', '_');
    bytes.truncate(255);
    if (bytes.isEmpty() || bytes == "." || bytes == "..")
        return QByteArrayLiteral("f");
    return bytes;
}

template <typename T> T takeNumber(QByteArray &input)
{
    T value = 0;
    std::memcpy(&value, input.constData(),
                std::min<std::size_t>(sizeof value, std::size_t(input.size())));
    input.remove(0, sizeof value);
    return value;
}

// What the report shows of `raw`: decoded, lower-cased, control characters
// as "?", in code points; the first `count` of them when `count` >= 0.
QList<uint> shownCodePoints(const QByteArray &raw, qsizetype count = -1)
{
    QList<uint> codePoints = lowerCased(decodedName(raw)).toUcs4();
    if (count >= 0 && codePoints.size() > count)
        codePoints.resize(count);
    for (uint &c : codePoints) {
        if (c < 0x20 || c == 0x7F)
            c = U'?';
    }
    return codePoints;
}

QList<uint> codePointsOf(const QString &text)
{
    return text.toUcs4();
}

QList<uint> spaces(qsizetype count)
{
    return QList<uint>(std::max<qsizetype>(count, 0), U' ');
}

// The number right-aligned in its five columns, or whole when longer.
QList<uint> field(const QString &number)
{
    return spaces(5 - number.size()) + codePointsOf(number);
}

void checkLine(const QByteArray &line, const QList<uint> &expected)
{
    FUZZ_CHECK(!line.contains('\r') && !line.contains('\n'));
    FUZZ_CHECK(isWellFormedUtf8(line));
    FUZZ_CHECK(QString::fromUtf8(line).toUcs4() == expected);
}

QByteArray writtenReport(const QByteArray &name, qint64 length, QLatin1String marker,
                         qint64 fileCount, const QByteArray &path)
{
    SilentFrontEnd frontEnd;
    const bool scanActive = true;
    ReportFile report;
    report.openForOutput(folders().report);
    ReportWriter writer(report, frontEnd, scanActive);
    writer.WriteFileLine(name, length, folders().files);
    writer.WriteSummaryLine(marker, fileCount, path);
    report.close();

    QFile file(QString::fromUtf8(folders().report));
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("LC_ALL", "C", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qint64 length = takeNumber<qint64>(input) & ((qint64(1) << 40) - 1);
    const qint64 fileCount = takeNumber<qint64>(input) & ((qint64(1) << 40) - 1);
    static constexpr FolderKind kinds[] = {FolderKind::Graphic, FolderKind::Music,
                                           FolderKind::Video, FolderKind::Install};
    const QLatin1String marker = kindMarker(kinds[takeNumber<std::uint8_t>(input) % 4]);
    const qsizetype split = input.indexOf('\0');
    const QByteArray name = fileNameFrom(input.left(split));
    const QByteArray path = split < 0 ? QByteArray() : input.mid(split + 1);

    const QByteArray report = writtenReport(name, length, marker, fileCount, path);
    FUZZ_CHECK(report.endsWith("\r\n"));
    const QList<QByteArray> lines = report.chopped(2).split('\n');
    FUZZ_CHECK(lines.size() == 2 && lines[0].endsWith('\r'));

    const FileSize fileSize = FormatFileSize(length);
    const QList<uint> shownName = shownCodePoints(name, 18);
    checkLine(lines[0].chopped(1), shownName + spaces(19 - shownName.size()) +
                                       field(fileSize.number()) +
                                       codePointsOf(QString(fileSize.unit)) + QList<uint>{U' '} +
                                       shownCodePoints(folders().files));

    const QString markerText = marker;
    checkLine(lines[1], codePointsOf(markerText) + spaces(19 - markerText.size()) +
                            field(QString::number(fileCount)) + QList<uint>{U'F', U's', U' '} +
                            shownCodePoints(path));
    return 0;
}
