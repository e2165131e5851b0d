// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list: which volume holds a path, and what the list shows.

#include "drivelist.h"

#include <QTest>

namespace {

// A path of the table in this system's form: "/media/stick" stands for
// "C:\\media\\stick" on Windows.
QByteArray native(QByteArray path)
{
#ifdef Q_OS_WIN
    return "C:" + path.replace('/', '\\');
#else
    return path;
#endif
}

} // namespace

class DriveListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "path mount point": the drive that holds the path.
    void driveOfPath_data()
    {
        QTest::addColumn<QByteArray>("row");
        for (const char *row :
             {"/ /", "/home/ann /", "/media/stick /media/stick", "/media/stick/a /media/stick",
              "/media/stick/b/c /media/stick/b", "/media/sticky /"})
            QTest::newRow(row) << QByteArray(row);
    }

    void driveOfPath()
    {
        QFETCH(QByteArray, row);
        const QByteArray path = row.split(' ')[0], mountPoint = row.split(' ')[1];
        const DriveList drives(
            {{native("/media/stick/b"), {}}, {native("/media/stick"), {}}, {native("/"), {}}});
        const qint64 index = drives.indexOfPath(native(path));
        QVERIFY(index >= 0);
        QCOMPARE(drives.List(index).mountPoint, native(mountPoint));
    }

    void labelInBrackets()
    {
        const DriveList drives({{"/media/stick", QStringLiteral("HOLIDAYS")}, {"/", {}}});
        QCOMPARE(drives.List(0).text(), QStringLiteral("/"));
        QCOMPARE(drives.List(1).text(), QStringLiteral("/media/stick [HOLIDAYS]"));
        QCOMPARE(drives.indexOfText(QStringLiteral("/media/stick [HOLIDAYS]")), 1);
    }

    void systemDrivesWithoutVirtualFileSystems()
    {
        const DriveList drives = DriveList::systemDrives();
        QVERIFY(drives.ListCount() >= 1);
#ifndef Q_OS_WIN
        QCOMPARE(drives.List(0).mountPoint, QByteArray("/"));
#endif
        for (qint64 i = 0; i < drives.ListCount(); ++i) {
            const QByteArray &mountPoint = drives.List(i).mountPoint;
#ifdef Q_OS_WIN
            QVERIFY2(mountPoint.size() == 3 && mountPoint.endsWith(":\\"), mountPoint.constData());
#else
            for (const char *kernel : {"/proc", "/sys", "/dev"})
                QVERIFY2(!mountPoint.startsWith(kernel), mountPoint.constData());
#endif
        }
    }
};

QTEST_GUILESS_MAIN(DriveListTest)
#include "tst_drivelist.moc"
