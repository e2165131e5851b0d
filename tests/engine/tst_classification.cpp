// SPDX-License-Identifier: GPL-3.0-or-later
#include "directorycursor.h"
#include "folderclassifier.h"
#include "scriptedfrontend.h"
#include "skiprule.h"
#include "testtree.h"

#include <QTest>

namespace {

// "p*5.jpg a.txt": p0.jpg to p4.jpg and a.txt.
QList<QByteArray> names(const QByteArray &list)
{
    QList<QByteArray> names;
    for (const QByteArray &entry : list.split(' ')) {
        const qsizetype star = entry.indexOf('*'), dot = entry.indexOf('.', star);
        for (int i = 0; i < (star < 0 ? 1 : entry.mid(star + 1, dot - star - 1).toInt()); ++i)
            names << (star < 0 ? entry : entry.left(star) + QByteArray::number(i) + entry.mid(dot));
    }
    return names;
}

} // namespace

class TestClassification : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "files path skipped": how many files the directory at `path` holds.
    void skipRule_data()
    {
        QTest::addColumn<QByteArray>("row");
        for (const char *row :
             {"0 /soft/editor 1", "3 /soft/editor 0", "3 /soft/disk2 1", "3 /soft/disk2/help 1",
              "3 /diskette 1", "3 /disk10 1", "3 /SOFT/DISK2 1", "3 /soft/disk1 0",
              "3 /soft/disk1/help 0", "3 /soft/disk1/disk2 0", "0 /soft/disk1 1",
              "3 /soft/mydisk2 0", "3 / 0",
              // A name outside ASCII that lower-cases to "disk..." (with a
              // KELVIN SIGN), beside other names outside ASCII.
              "3 /soft/Disk2/\xc3\xbc"
              "ber 1",
              "3 /caf\xc3\xa9/DIS\xe2\x84\xaa"
              "2 1",
              "3 /caf\xc3\xa9/disk2/DIS\xe2\x84\xaa"
              "1 0",
              "3 /caf\xc3\xa9/d\xc3\xafsk2 0"})
            QTest::newRow(row) << QByteArray(row);
    }

    void skipRule()
    {
        QFETCH(QByteArray, row);
        const QList<QByteArray> fields = row.split(' ');
        const QString path = QDir::toNativeSeparators(QString::fromUtf8(fields[1]));
        QCOMPARE(IsSkippedFolder(fields[0].toInt(), path.toUtf8()), fields[2] == "1");
    }

    // "directory|files|boxes|kind|answer": the boxes ticked and the kind as the
    // letters of graphic, music, video and install ("-": none); the answer to
    // the install question, none when it is not asked.
    void kinds_data()
    {
        QTest::addColumn<QByteArray>("row");
        const std::pair<const char *, const char *> rows[] = {
            {"exactly 80 % is not enough", "pics|p*4.jpg a.txt|gmvi|-|"},
            {"5 of 6 pictures", "pics|p*5.jpg a.txt|gmvi|g|"},
            {"80 % over two patterns sums above 80", "pics|p*1.JPG g*27.gif t*7.txt|gmvi|g|"},
            {"every picture pattern", "pics|a.jpg b.gif c.bmp d.pcx e.PCX f.txt|gmvi|g|"},
            {"music", "songs|a.mp3 b.mp2 c.wav d.mid e.mod|gmvi|m|"},
            {"video", "films|a.mpg b.mov c.avi d.fli|gmvi|v|"},
            {"half pictures, 40 % music: the install test runs",
             "mixed|p*5.jpg m*4.mp3 x.exe|gmvi|-|n"},
            {"pictures with a setup program stay pictures", "pics|p*6.jpg setup.exe|gmvi|g|"},
            {"setup among data files", "editor|d*300.dat SETUP.EXE|gmvi|i|"},
            {"program file, answered yes", "editor|edit.exe a.dat|gmvi|i|y"},
            {"program file, answered no", "editor|edit.exe a.dat|gmvi|-|n"},
            {"program file on a first disk", "Games/DISK1|game.exe a.dat b.dat|gmvi|i|"},
            {"only the install box, pictures", "pics|p*5.jpg|i|-|"},
            {"music box cleared", "songs|m*5.mp3|gvi|-|"},
            {"all boxes cleared", "editor|setup.exe||-|"},
        };
        for (const auto &[name, row] : rows)
            QTest::newRow(name) << QByteArray(row);
        for (const char *installer : {"Install.exe", "instalar.EXE", "INSTALL.BAT", "Instalar.Bat"})
            QTest::newRow(installer) << "editor|" + QByteArray(installer) + " a.dat|gmvi|i|";
    }

    void kinds()
    {
        QFETCH(QByteArray, row);
        const QList<QByteArray> field = row.split('|');
        const QByteArray boxes = field[2], answer = field[4];
        TestTree tree;
        tree.files(field[0], names(field[1]));
        DirectoryCursor cursor;
        cursor.dir.setPath(tree.path(field[0]));
        ScriptedFrontEnd frontEnd;
        // Without a question expected, one asked would be answered yes.
        frontEnd.answer = answer == "n" ? MessageAnswer::No : MessageAnswer::Yes;
        const bool scanActive = true;
        FolderClassifier classifier(cursor.files, frontEnd, scanActive);
        classifier.setSwitches(
            {boxes.contains('g'), boxes.contains('m'), boxes.contains('v'), boxes.contains('i')});

        QCOMPARE(classifier.ClassifyFolder(cursor.files.ListCount(), cursor.dir.Path()),
                 FolderKind(QByteArray("-gmvi").indexOf(field[3])));
        QCOMPARE(frontEnd.questions, answer.isEmpty() ? 0 : 1);
        if (!answer.isEmpty()) {
            QCOMPARE(frontEnd.messages.last().prompt,
                     QStringLiteral("ONLY one software on this directory?"));
            QCOMPARE(frontEnd.messages.last().title, QStringLiteral("Creating.."));
        }
        QCOMPARE(cursor.files.Pattern(), QStringLiteral("*.*"));
    }
};

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
