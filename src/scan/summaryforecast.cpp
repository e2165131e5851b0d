// SPDX-License-Identifier: GPL-3.0-or-later
#include "summaryforecast.h"

#include "filesystem.h"
#include "folderclassifier.h"
#include "names.h"
#include "skiprule.h"

#include <algorithm>

namespace {

qint64 countMatches(const DirectoryListing &listing, const WildcardPattern &pattern)
{
    return std::count_if(listing.files.begin(), listing.files.end(),
                         [&](const DirectoryEntry &file) { return pattern.matches(file.key); });
}

// The classifier's share test, on the listing.
bool isCollection(FolderKind kind, const DirectoryListing &listing)
{
    return isCollectionOf(kind, qint64(listing.files.size()), [&](const WildcardPattern &pattern) {
        return countMatches(listing, pattern);
    });
}

bool hasInstaller(const DirectoryListing &listing)
{
    return std::any_of(
        installerNames().begin(), installerNames().end(),
        [&](const WildcardPattern &name) { return countMatches(listing, name) > 0; });
}

} // namespace

bool needsNoLengths(const CategorySwitches &switches, const DirectoryListing &listing,
                    const QByteArray &path)
{
    const qint64 fileCount = qint64(listing.files.size());
    if (IsSkippedFolder(fileCount, path))
        return true;
    return (switches.graphic && isCollection(FolderKind::Graphic, listing)) ||
           (switches.music && isCollection(FolderKind::Music, listing)) ||
           (switches.video && isCollection(FolderKind::Video, listing)) ||
           (switches.install && hasInstaller(listing));
}
