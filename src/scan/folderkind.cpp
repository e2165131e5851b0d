// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderkind.h"

QLatin1String kindMarker(FolderKind kind)
{
    switch (kind) {
    case FolderKind::Graphic:
        return QLatin1String("graphic-files");
    case FolderKind::Music:
        return QLatin1String("music-files");
    case FolderKind::Video:
        return QLatin1String("video-files");
    case FolderKind::Install:
        return QLatin1String("install-files");
    case FolderKind::None:
        break;
    }
    return QLatin1String();
}
