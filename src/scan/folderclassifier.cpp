// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderclassifier.h"

#include "filelist.h"
#include "frontend.h"
#include "names.h"

#include <vector>

namespace {

std::vector<WildcardPattern> patternsFrom(std::initializer_list<const char *> texts)
{
    std::vector<WildcardPattern> patterns;
    for (const char *text : texts)
        patterns.emplace_back(QLatin1String(text));
    return patterns;
}

} // namespace

const std::vector<WildcardPattern> &sharePatterns(FolderKind kind)
{
    static const std::vector<WildcardPattern> graphic =
        patternsFrom({"*.jpg", "*.gif", "*.bmp", "*.pcx"});
    static const std::vector<WildcardPattern> music =
        patternsFrom({"*.mp3", "*.mp2", "*.wav", "*.mid", "*.mod"});
    static const std::vector<WildcardPattern> video =
        patternsFrom({"*.mpg", "*.mov", "*.avi", "*.fli"});
    static const std::vector<WildcardPattern> none;
    switch (kind) {
    case FolderKind::Graphic:
        return graphic;
    case FolderKind::Music:
        return music;
    case FolderKind::Video:
        return video;
    default:
        return none;
    }
}

const std::vector<WildcardPattern> &installerNames()
{
    static const std::vector<WildcardPattern> names =
        patternsFrom({"setup.exe", "install.exe", "instalar.exe", "install.bat", "instalar.bat"});
    return names;
}

namespace {

const WildcardPattern &programFiles()
{
    static const WildcardPattern pattern(QStringLiteral("*.exe"));
    return pattern;
}

} // namespace

FolderClassifier::FolderClassifier(FileList &files, FrontEnd &frontEnd, const bool &scanActive)
    : m_files(files), m_frontEnd(frontEnd), m_scanActive(scanActive)
{}

FolderKind FolderClassifier::ClassifyFolder(qint64 fileCount, const QByteArray &path)
{
    if (m_switches.graphic && shareTest(FolderKind::Graphic, fileCount))
        return FolderKind::Graphic;
    if (m_switches.music && shareTest(FolderKind::Music, fileCount))
        return FolderKind::Music;
    if (m_switches.video && shareTest(FolderKind::Video, fileCount))
        return FolderKind::Video;
    if (m_switches.install && installTest(path))
        return FolderKind::Install;
    return FolderKind::None;
}

// The files matching `pattern`, counted over the whole directory; then the
// front end may pump. After a Cancel there the count is 0.
qint64 FolderClassifier::countMatching(const WildcardPattern &pattern)
{
    if (!m_scanActive)
        return 0;
    // Counted without a copy of the pattern: the read-ahead's workers read
    // the same patterns as they go, and every copy is a write they would see.
    const qint64 count = m_files.countMatching(pattern);
    m_frontEnd.pumpEventsWhileBusy();
    return m_scanActive ? count : 0;
}

bool FolderClassifier::shareTest(FolderKind kind, qint64 fileCount)
{
    return isCollectionOf(
        kind, fileCount, [this](const WildcardPattern &pattern) { return countMatching(pattern); });
}

// One known installer name settles it; otherwise any program file makes the
// directory a candidate, which the user confirms unless it is a first disk.
bool FolderClassifier::installTest(const QByteArray &path)
{
    bool isInstall = false;
    for (const WildcardPattern &name : installerNames()) {
        if (countMatching(name) > 0) {
            isInstall = true;
            break;
        }
    }
    if (!isInstall) {
        if (countMatching(programFiles()) > 0)
            isInstall = lowerCased(decodedName(path)).contains(QLatin1String("disk1")) ||
                        userConfirmsInstall();
    }
    return isInstall;
}

bool FolderClassifier::userConfirmsInstall()
{
    const MessageAnswer answer =
        m_frontEnd.messageBox(QStringLiteral("ONLY one software on this directory?"),
                              MessageStyle::YesNoQuestion, QStringLiteral("Creating.."));
    // The directory may have changed while the question was open.
    m_files.timePassed();
    return answer == MessageAnswer::Yes;
}
