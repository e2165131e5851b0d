// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayList>

// The program's arguments, without its own name, as the bytes the disk
// operations take: the raw bytes on POSIX systems (a name need not be valid
// in any encoding), UTF-8 of the UTF-16 command line on Windows.
QByteArrayList commandLineArguments(int argc, char *argv[]);
