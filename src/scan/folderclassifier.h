// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderkind.h"

#include "wildcardpattern.h"

#include <QString>

#include <vector>

class FileList;
class FrontEnd;
class WildcardPattern;

// The patterns whose files count towards the share of a collection kind.
const std::vector<WildcardPattern> &sharePatterns(FolderKind kind);
// The names that make a directory one installable package.
const std::vector<WildcardPattern> &installerNames();

// The share test: a directory of `fileCount` files is a collection of `kind`
// when the files of its patterns are more than 80 % of them. `countMatching`
// answers how many files a pattern matches. The share is summed pattern by
// pattern in double precision, so a sum that is 80 % in exact arithmetic may
// come out just above it.
template <typename CountMatching>
bool isCollectionOf(FolderKind kind, qint64 fileCount, CountMatching countMatching)
{
    double share = 0.0;
    for (const WildcardPattern &pattern : sharePatterns(kind))
        share += 100.0 * (double(countMatching(pattern)) / double(fileCount));
    return share > 80.0;
}

// Decides whether a directory is a collection of pictures, music, video or
// one installable package. It looks at the directory through the file list,
// whose pattern it changes while it tests and leaves at "*.*". Between two
// patterns the front end may pump events; once a Cancel has cleared
// `scanActive` there, no kind is found and no question is asked.
class FolderClassifier
{
public:
    FolderClassifier(FileList &files, FrontEnd &frontEnd, const bool &scanActive);

    void setSwitches(const CategorySwitches &switches) { m_switches = switches; }
    const CategorySwitches &switches() const { return m_switches; }

    // Tries the switched-on kinds in order and answers the first found. The
    // install test may ask the user whether the directory is one program.
    FolderKind ClassifyFolder(qint64 fileCount, const QByteArray &path);

private:
    bool shareTest(FolderKind kind, qint64 fileCount);
    bool installTest(const QByteArray &path);
    // Asks the user whether the directory is one installable package.
    bool userConfirmsInstall();
    qint64 countMatching(const WildcardPattern &pattern);

    FileList &m_files;
    FrontEnd &m_frontEnd;
    const bool &m_scanActive;
    CategorySwitches m_switches;
};
