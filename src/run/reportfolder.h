// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The folder that receives the reports, file-report01.txt to
// file-report99.txt: the root of drive C: on Windows, or the user's Documents
// folder where C:\ refuses new files (as it does to a user who is not an
// administrator on recent Windows); the user's home directory elsewhere.
class ReportFolder
{
public:
    static constexpr int FirstNumber = 1;
    static constexpr int LastNumber = 99;

    explicit ReportFolder(const QString &path);
    static ReportFolder standard();
    // The first of `folders` where a new file can be made; the last when
    // none takes one (its own errors then come when a report is created).
    static ReportFolder firstTakingFiles(const QStringList &folders);

    // The path of report file `number`: "file-report" and the number in
    // at least two digits, then ".txt".
    QByteArray reportPath(int number) const;
    // The folder as the program's texts name it: native separators and a
    // trailing separator ("/home/ann/", "C:\").
    const QString &displayName() const { return m_path; }

private:
    QString m_path; // native separators and a trailing separator
};

// The name of report file `number`, without its folder: "file-report07.txt".
QString reportFileName(int number);
