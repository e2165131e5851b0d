// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1String>

// What a directory turned out to be: a collection of one kind, or no kind.
enum class FolderKind { None, Graphic, Music, Video, Install };

// The report marker of a kind ("graphic-files", ...); empty for None.
QLatin1String kindMarker(FolderKind kind);

// The four check boxes that switch the kinds on; a cleared kind is not tried.
struct CategorySwitches
{
    bool graphic = true;
    bool music = true;
    bool video = true;
    bool install = true;
};
