// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

#ifndef _WIN32
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#endif

// The suites run twice: with the walk alone and with workers reading ahead
// of it (TALLYWICK_TEST_THREADS, set by CTest).
inline int testThreads()
{
    const int threads = qEnvironmentVariableIntValue("TALLYWICK_TEST_THREADS");
    return threads > 0 ? threads : 1;
}

// Sets the stamps of the directories below `root` an hour back, as on a disk
// not written just now: only then does the walk take what was read ahead
// without reading it again. Paths too long for the system are left as they
// are; on Windows all are (its stamps get old enough by themselves).
inline void ageDirectories([[maybe_unused]] const QByteArray &root)
{
#ifndef _WIN32
    nftw(
        root.constData(),
        [](const char *path, const struct stat *status, int type, FTW *) {
            if (type == FTW_D) {
                const timespec times[2] = {{status->st_atim.tv_sec, 0},
                                           {std::time(nullptr) - 3600, 0}};
                utimensat(AT_FDCWD, path, times, AT_SYMLINK_NOFOLLOW);
            }
            return 0;
        },
        64, FTW_PHYS);
#endif
}
