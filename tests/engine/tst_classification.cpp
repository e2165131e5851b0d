#include "directorycursor.h"

#include "folderclassifier.h"
#include "pathsyntax.h"
#include "scriptedfrontend.h"
#include "skiprule.h"
#include "treebuilder.h"

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

constexpr int Graphic = 1, Music = 2, Video = 4, Install = 8, All = 15;

} // namespace

class TestClassification : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void skipRule_data();
    void skipRule();
    void kinds_data();
    void kinds();
};

void TestClassification::skipRule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("fileCount");
    QTest::addColumn<bool>("skipped");

    QTest::newRow("no files") << "/soft/editor" << qint64(0) << true;
    QTest::newRow("files") << "/soft/editor" << qint64(3) << false;
    QTest::newRow("second disk") << "/soft/disk2" << qint64(3) << true;
    QTest::newRow("below second disk") << "/soft/disk2/help" << qint64(3) << true;
    QTest::newRow("diskette") << "/diskette" << qint64(3) << true;
    QTest::newRow("disk10") << "/disk10" << qint64(3) << true;
    QTest::newRow("capitals") << "/SOFT/DISK2" << qint64(3) << true;
    QTest::newRow("first disk") << "/soft/disk1" << qint64(3) << false;
    QTest::newRow("below first disk") << "/soft/disk1/help" << qint64(3) << false;
    QTest::newRow("second disk below first") << "/soft/disk1/disk2" << qint64(3) << false;
    QTest::newRow("first disk, no files") << "/soft/disk1" << qint64(0) << true;
    QTest::newRow("disk inside a name") << "/soft/mydisk2" << qint64(3) << false;
    QTest::newRow("root") << "/" << qint64(3) << false;
}

void TestClassification::skipRule()
{
    QFETCH(QString, path);
    QFETCH(qint64, fileCount);
    QFETCH(bool, skipped);
    QCOMPARE(IsSkippedFolder(fileCount, QDir::toNativeSeparators(path)), skipped);
}

void TestClassification::kinds_data()
{
    QTest::addColumn<QByteArray>("dirName");
    QTest::addColumn<QByteArray>("files");
    QTest::addColumn<int>("switches");
    QTest::addColumn<FolderKind>("kind");
    QTest::addColumn<int>("answer"); // 0: no question is asked

    const int yes = int(MessageAnswer::Yes), no = int(MessageAnswer::No);
    const FolderKind none = FolderKind::None, graphic = FolderKind::Graphic,
                     install = FolderKind::Install;
    QTest::newRow("exactly 80 % is not enough")
        << QByteArray("pics") << QByteArray("p*4.jpg a.txt") << All << none << 0;
    QTest::newRow("5 of 6 pictures")
        << QByteArray("pics") << QByteArray("p*5.jpg a.txt") << All << graphic << 0;
    QTest::newRow("80 % over two patterns sums above 80")
        << QByteArray("pics") << QByteArray("p*1.JPG g*27.gif t*7.txt") << All << graphic << 0;
    QTest::newRow("every picture pattern")
        << QByteArray("pics") << QByteArray("a.jpg b.gif c.bmp d.pcx e.PCX f.txt") << All << graphic
        << 0;
    QTest::newRow("music") << QByteArray("songs") << QByteArray("a.mp3 b.mp2 c.wav d.mid e.mod")
                           << All << FolderKind::Music << 0;
    QTest::newRow("video") << QByteArray("films") << QByteArray("a.mpg b.mov c.avi d.fli") << All
                           << FolderKind::Video << 0;
    QTest::newRow("half pictures, 40 % music: the install test runs")
        << QByteArray("mixed") << QByteArray("p*5.jpg m*4.mp3 x.exe") << All << none << no;
    QTest::newRow("pictures with a setup program stay pictures")
        << QByteArray("pics") << QByteArray("p*6.jpg setup.exe") << All << graphic << 0;
    QTest::newRow("setup among data files")
        << QByteArray("editor") << QByteArray("d*300.dat SETUP.EXE") << All << install << 0;
    QTest::newRow("install batch file")
        << QByteArray("editor") << QByteArray("Instalar.Bat a.dat") << All << install << 0;
    QTest::newRow("program file, answered yes")
        << QByteArray("editor") << QByteArray("edit.exe a.dat") << All << install << yes;
    QTest::newRow("program file, answered no")
        << QByteArray("editor") << QByteArray("edit.exe a.dat") << All << none << no;
    QTest::newRow("program file on a first disk")
        << QByteArray("Games/DISK1") << QByteArray("game.exe a.dat b.dat") << All << install << 0;
    QTest::newRow("only the install box, pictures")
        << QByteArray("pics") << QByteArray("p*5.jpg") << Install << none << 0;
    QTest::newRow("music box cleared")
        << QByteArray("songs") << QByteArray("m*5.mp3") << (All & ~Music) << none << 0;
    QTest::newRow("all boxes cleared")
        << QByteArray("editor") << QByteArray("setup.exe") << 0 << none << 0;
}

void TestClassification::kinds()
{
    QFETCH(QByteArray, dirName);
    QFETCH(QByteArray, files);
    QFETCH(int, switches);
    QFETCH(FolderKind, kind);
    QFETCH(int, answer);

    TreeBuilder tree;
    tree.files(dirName, names(files));
    DirectoryCursor cursor;
    cursor.dir.setPath(tree.path(dirName));
    ScriptedFrontEnd frontEnd;
    // Without a question expected, one asked would be answered yes.
    frontEnd.answer = answer ? MessageAnswer(answer) : MessageAnswer::Yes;
    const bool scanActive = true;
    FolderClassifier classifier(cursor.files, frontEnd, scanActive);
    classifier.setSwitches({bool(switches & Graphic), bool(switches & Music),
                            bool(switches & Video), bool(switches & Install)});

    QCOMPARE(classifier.ClassifyFolder(cursor.files.ListCount(), decodedPath(cursor.dir.Path())),
             kind);
    QCOMPARE(frontEnd.questions, answer ? 1 : 0);
    if (answer) {
        QCOMPARE(frontEnd.messages.last().prompt,
                 QStringLiteral("ONLY one software on this directory?"));
        QCOMPARE(frontEnd.messages.last().title, QStringLiteral("Creating.."));
    }
    QCOMPARE(cursor.files.Pattern(), QStringLiteral("*.*"));
}

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
