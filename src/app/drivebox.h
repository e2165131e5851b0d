// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drivelist.h"

#include <QComboBox>

// The drive list control: a drop-down list of the volumes. Its drive text is the
// selected entry as the list shows it; assigning a drive or a path selects
// that drive, and a changed selection emits currentIndexChanged() before
// the assignment returns.
class DriveBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveBox(QWidget *parent = nullptr);

    void setDrives(DriveList drives);
    const DriveList &drives() const { return m_drives; }

    QString driveText() const { return currentText(); }
    // Selects the entry shown as `drive`, or else the drive that holds the
    // path `drive`. Throws RuntimeError when there is no such drive.
    void setDrive(const QString &drive);

    // The root of the selected volume.
    QByteArray mountPoint() const;

private:
    DriveList m_drives;
};
