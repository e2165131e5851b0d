// SPDX-License-Identifier: GPL-3.0-or-later
// The volumes of the drive list on Windows: the drive letters, each with the
// label of its volume. A drive that is not ready (an empty card reader) is
// listed without a label; showing it fails as any unready drive does.

#include "systemvolumes.h"

#include "windowsfiles_win.h"

#include <QString>

namespace {

constexpr DWORD LabelCapacity = MAX_PATH + 1;

QString volumeLabel(const wchar_t *root)
{
    // No "insert a disk" box for an empty drive: just no label.
    const QuietDriveErrors quiet;
    wchar_t label[LabelCapacity] = {};
    const bool known =
        GetVolumeInformationW(root, label, LabelCapacity, nullptr, nullptr, nullptr, nullptr, 0);
    return known ? QString::fromWCharArray(label) : QString();
}

} // namespace

std::vector<DriveEntry> systemVolumes()
{
    std::vector<wchar_t> roots(GetLogicalDriveStringsW(0, nullptr) + 1, L'\0');
    GetLogicalDriveStringsW(DWORD(roots.size()), roots.data());
    std::vector<DriveEntry> drives;
    for (const wchar_t *root = roots.data(); *root; root += wcslen(root) + 1)
        drives.push_back(DriveEntry{QString::fromWCharArray(root).toUtf8(), volumeLabel(root)});
    return drives;
}
