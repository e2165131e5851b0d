// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// True when a directory adds nothing to the report: it has no files, or it
// belongs to a multi-disk package without being its first disk.
bool IsSkippedFolder(qint64 fileCount, const QString &path);
