// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "exportwriter.h"
#include "folderkind.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <optional>

// How the question "ONLY one software on this directory?" is answered.
enum class InstallAnswer { Yes, No, Ask };

// What the command line asks for. Paths stay the raw bytes of the arguments.
struct Options
{
    QByteArray directory;
    std::optional<QByteArray> outputFile; // none: standard output
    bool append = false;
    bool quiet = false;
    CategorySwitches switches;
    std::optional<InstallAnswer> installAnswer; // none: decided by the terminal
    int threads = 0;                            // 0: chosen by the processors and the disk
    std::optional<ExportFormat> format;         // none: the report
};

struct CommandLine
{
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };

    Action action = Action::Run;
    Options options;
    QString error; // for UsageError: one line, without the program name
};

// Reads the arguments that follow the program name.
CommandLine parseCommandLine(const QByteArrayList &arguments);

QString helpText();
