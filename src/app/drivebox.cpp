// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivebox.h"

#include "runtimeerror.h"

#include <QFile>
#include <QSignalBlocker>

DriveBox::DriveBox(QWidget *parent) : QComboBox(parent) {}

void DriveBox::setDrives(DriveList drives)
{
    const QSignalBlocker quiet(this);
    m_drives = std::move(drives);
    clear();
    for (qint64 i = 0; i < m_drives.ListCount(); ++i)
        addItem(m_drives.List(i).text());
}

void DriveBox::setDrive(const QString &drive)
{
    qint64 index = m_drives.indexOfText(drive);
    if (index < 0)
        index = m_drives.indexOfPath(QFile::encodeName(drive));
    if (index < 0)
        throw RuntimeError(ErrorNumber::DeviceIoError,
                           QStringLiteral("Device I/O error: no drive holds ") + drive);
    setCurrentIndex(int(index));
}

QByteArray DriveBox::mountPoint() const
{
    const int index = currentIndex();
    return index < 0 ? QByteArray() : m_drives.List(index).mountPoint;
}
