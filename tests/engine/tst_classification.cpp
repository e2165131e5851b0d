#include "platform/directorycursor.h"
#include "scan/folderclassifier.h"
#include "scan/skiprule.h"
#include "scriptedfrontend.h"
#include "treebuilder.h"

#include <QTest>

namespace {

QList<QByteArray> numbered(const char *stem, const char *extension, int count)
{
    QList<QByteArray> names;
    for (int i = 0; i < count; ++i)
        names << stem + QByteArray::number(i) + extension;
    return names;
}

constexpr int Graphic = 1, Music = 2, Video = 4, Install = 8, All = 15;

CategorySwitches switchesFrom(int mask)
{
    return {bool(mask & Graphic), bool(mask & Music), bool(mask & Video), bool(mask & Install)};
}

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
    QTest::addColumn<QList<QByteArray>>("files");
    QTest::addColumn<int>("switches");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("questions");

    const int yes = int(MessageAnswer::Yes);
    const int no = int(MessageAnswer::No);
    const int none = int(FolderKind::None);
    const int graphic = int(FolderKind::Graphic);
    const int install = int(FolderKind::Install);

    QTest::newRow("exactly 80 % is not enough")
        << QByteArray("pics") << numbered("p", ".jpg", 4) + QList<QByteArray>{"a.txt"} << All << no
        << none << 0;
    QTest::newRow("5 of 6 pictures")
        << QByteArray("pics") << numbered("p", ".jpg", 5) + QList<QByteArray>{"a.txt"} << All << no
        << graphic << 0;
    QTest::newRow("80 % over two patterns sums above 80")
        << QByteArray("pics")
        << numbered("p", ".JPG", 1) + numbered("g", ".gif", 27) + numbered("t", ".txt", 7) << All
        << no << graphic << 0;
    QTest::newRow("every picture pattern")
        << QByteArray("pics")
        << QList<QByteArray>{"a.jpg", "b.gif", "c.bmp", "d.pcx", "e.PCX", "f.txt"} << All << no
        << graphic << 0;
    QTest::newRow("music") << QByteArray("songs")
                           << QList<QByteArray>{"a.mp3", "b.mp2", "c.wav", "d.mid", "e.mod"} << All
                           << no << int(FolderKind::Music) << 0;
    QTest::newRow("video") << QByteArray("films")
                           << QList<QByteArray>{"a.mpg", "b.mov", "c.avi", "d.fli"} << All << no
                           << int(FolderKind::Video) << 0;
    QTest::newRow("half pictures, 40 % music: the install test runs")
        << QByteArray("mixed")
        << numbered("p", ".jpg", 5) + numbered("m", ".mp3", 4) + QList<QByteArray>{"x.exe"} << All
        << no << none << 1;
    QTest::newRow("pictures with a setup program stay pictures")
        << QByteArray("pics") << numbered("p", ".jpg", 6) + QList<QByteArray>{"setup.exe"} << All
        << yes << graphic << 0;
    QTest::newRow("setup among data files")
        << QByteArray("editor") << numbered("d", ".dat", 300) + QList<QByteArray>{"SETUP.EXE"}
        << All << no << install << 0;
    QTest::newRow("install batch file")
        << QByteArray("editor") << QList<QByteArray>{"Instalar.Bat", "a.dat"} << All << no
        << install << 0;
    QTest::newRow("program file, answered yes")
        << QByteArray("editor") << QList<QByteArray>{"edit.exe", "a.dat"} << All << yes << install
        << 1;
    QTest::newRow("program file, answered no")
        << QByteArray("editor") << QList<QByteArray>{"edit.exe", "a.dat"} << All << no << none << 1;
    QTest::newRow("program file on a first disk")
        << QByteArray("Games/DISK1") << QList<QByteArray>{"game.exe", "a.dat", "b.dat"} << All << no
        << install << 0;
    QTest::newRow("only the install box, pictures")
        << QByteArray("pics") << numbered("p", ".jpg", 5) << int(Install) << yes << none << 0;
    QTest::newRow("music box cleared")
        << QByteArray("songs") << numbered("m", ".mp3", 5) << (All & ~Music) << no << none << 0;
    QTest::newRow("all boxes cleared")
        << QByteArray("editor") << QList<QByteArray>{"setup.exe"} << 0 << yes << none << 0;
}

void TestClassification::kinds()
{
    QFETCH(QByteArray, dirName);
    QFETCH(QList<QByteArray>, files);
    QFETCH(int, switches);
    QFETCH(int, answer);
    QFETCH(int, kind);
    QFETCH(int, questions);

    TreeBuilder tree;
    tree.files(dirName, files);
    DirectoryCursor cursor;
    cursor.dir.setPath(tree.path(dirName));
    ScriptedFrontEnd frontEnd;
    frontEnd.answer = MessageAnswer(answer);
    const bool scanActive = true;
    FolderClassifier classifier(cursor.files, frontEnd, scanActive);
    classifier.setSwitches(switchesFrom(switches));

    const FolderKind found =
        classifier.ClassifyFolder(cursor.files.ListCount(), decodedPath(cursor.dir.Path()));
    QCOMPARE(int(found), kind);
    QCOMPARE(frontEnd.questions, questions);
    if (questions > 0) {
        QCOMPARE(frontEnd.messages.last().prompt,
                 QStringLiteral("ONLY one software on this directory?"));
        QCOMPARE(frontEnd.messages.last().title, QStringLiteral("Creating.."));
    }
    QCOMPARE(cursor.files.Pattern(), QStringLiteral("*.*"));
}

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
