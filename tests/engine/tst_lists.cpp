// SPDX-License-Identifier: GPL-3.0-or-later
#include "directorycursor.h"
#include "names.h"
#include "runtimeerror.h"
#include "systemreason.h"
#include "testtree.h"
#include "wildcardpattern.h"

#include <QScopeGuard>
#include <QStorageInfo>

#ifndef Q_OS_WIN
#include <sys/mount.h>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

// The names a directory or file list holds, without their directory.
template <typename List> static QList<QByteArray> names(const List &list)
{
    QList<QByteArray> names;
    for (qint64 i = 0; i < list.ListCount(); ++i)
        names << list.List(i).mid(list.List(i).lastIndexOf(PathSeparator) + 1);
    return names;
}

static void setModificationTime(const QByteArray &path, qint64 secondsSinceEpoch)
{
#ifdef Q_OS_WIN
    const HANDLE handle = CreateFileW(QString::fromUtf8(path).toStdWString().c_str(),
                                      FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    QVERIFY(handle != INVALID_HANDLE_VALUE);
    const quint64 ticks = quint64(secondsSinceEpoch + 11644473600LL) * 10000000ULL;
    const FILETIME time = {DWORD(ticks), DWORD(ticks >> 32)};
    QVERIFY(SetFileTime(handle, nullptr, nullptr, &time));
    CloseHandle(handle);
#else
    const timespec stamp[2] = {{secondsSinceEpoch, 0}, {secondsSinceEpoch, 0}};
    QCOMPARE(utimensat(AT_FDCWD, path.constData(), stamp, 0), 0);
#endif
}

class TestLists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "pattern name matches", the pattern and name as their bytes.
    void patterns_data()
    {
        QTest::addColumn<QByteArray>("row");
        for (const char *row :
             {"*.* readme.txt 1", "*.* makefile 1", "*.jpg PHOTO.JPG 1", "*.jpg photo.jpg.bak 0",
              "*.jpg photo.jpeg 0", "setup.exe SETUP.EXE 1", "setup.exe setup.exe1 0",
              "a?c.txt abc.txt 1", "a?c.txt a\303\251c.txt 1",
              "a?c.txt a\xf0\x9f\x8e\xb5"
              "c.txt 1",
              "a?c.txt ac.txt 0", "a*z.* abcz.doc 1", "*ab*ab xabyabab 1", "a?c* abc 1",
              "*?.txt x.txt 1", "*.BIN caf\xe9-\xff.bin 1",
              "*.\xc3\x89T\xc3\x89 x.\xc3\xa9t\xc3\xa9 1"})
            QTest::newRow(row) << QByteArray(row);
    }

    void patterns()
    {
        QFETCH(QByteArray, row);
        const QString pattern = QString::fromUtf8(row.split(' ')[0]);
        const QByteArray name = row.split(' ')[1];
        const bool matches = row.endsWith('1');
#ifdef Q_OS_WIN
        if (QString::fromUtf8(name).toUtf8() != name)
            QSKIP("Windows names are UTF-16: each one has its UTF-8 form");
#endif

        TestTree tree;
        tree.file(name, 4321);
        DirectoryCursor cursor;
        cursor.dir.setPath(tree.root());
        cursor.files.setPattern(pattern);
        QCOMPARE(names(cursor.files), matches ? QList<QByteArray>{name} : QList<QByteArray>());
        if (matches) // found by its name, in bytes
            QCOMPARE(cursor.cache.fileLength(tree.root(), name), 4321);
    }

    void longPaths_data()
    {
#ifdef Q_OS_WIN
        QSKIP("the limits of Windows paths are others");
#endif
        QTest::addColumn<int>("length");
        QTest::newRow("the system's limit") << 4096;
        QTest::newRow("beyond it") << 6000;
    }

    // A directory is listed by a path of any length, the system's limit of
    // 4,096 bytes and more included.
    void longPaths()
    {
        QFETCH(int, length);
        TestTree tree;
        const QByteArray name(99, 'n');
        // A top folder of 100 to 199 bytes makes up what whole levels leave.
        const int depth = (length - int(tree.root().size()) - 101) / 100;
        const QByteArray top(length - int(tree.root().size()) - 1 - depth * 100, 't');
        tree.chain(top, depth, name, "leaf.txt", 10);
        const QByteArray path = tree.path(top) + QByteArray("/" + name).repeated(depth);
        QCOMPARE(path.size(), length);
        DirectoryCursor cursor;
        cursor.dir.setPath(path);
        QCOMPARE(names(cursor.files), QList<QByteArray>{"leaf.txt"});
    }

    void entriesAndOrder()
    {
        TestTree tree;
        tree.files("top", {"b.txt", "a.TXT", "Zeta", "_under", ".hidden", "\xc3\x89t\xc3\xa9"});
        tree.dir("top/Sub");
        tree.dir("top/abc");
        tree.file("top/.hiddendir/x.txt");
        tree.file("target.txt", 1234);
        const QByteArray top = tree.path("top");
        QList<QByteArray> files = {
            "_under", "a.TXT", "B.txt", "b.txt", "link-to-file", "Zeta", "\xc3\x89t\xc3\xa9"};
#ifdef Q_OS_WIN
        // Names that differ in case only are one name; hidden and system
        // entries are so by their attributes.
        files.removeAll("B.txt");
        files.removeAll("link-to-file");
        tree.files("top", {"Hidden.txt", "System.dat"});
        tree.dir("top/HiddenDir");
        for (const QByteArray name : {".hidden", ".hiddendir", "Hidden.txt", "HiddenDir"})
            QVERIFY(SetFileAttributesW(qUtf16Printable(tree.native("top/" + name)),
                                       FILE_ATTRIBUTE_HIDDEN));
        QVERIFY(SetFileAttributesW(qUtf16Printable(tree.native("top/System.dat")),
                                   FILE_ATTRIBUTE_SYSTEM));
#else
        tree.file("top/B.txt");
        QCOMPARE(symlink("../target.txt", (top + "/link-to-file").constData()), 0);
        QCOMPARE(symlink("nowhere", (top + "/broken-link").constData()), 0);
        QCOMPARE(symlink("..", (top + "/loop").constData()), 0);
        QCOMPARE(mkfifo((top + "/fifo").constData(), 0600), 0);
#endif

        DirectoryCursor cursor;
        cursor.dir.setPath(top);
        // Links to directories (here a loop back up) and hidden entries are not listed.
        QCOMPARE(names(cursor.dir), (QList<QByteArray>{"abc", "Sub"}));
        // Case-insensitive order; names equal that way are ordered by their raw bytes.
        QCOMPARE(names(cursor.files), files);
        if (files.contains("link-to-file"))
            QCOMPARE(cursor.cache.fileLength(top, "link-to-file"), 1234);
    }

    void changedDirectoryIsReadAgain_data()
    {
        QTest::addColumn<qint64>("stampOffset");
        QTest::newRow("an hour ago") << qint64(-3600);
        QTest::newRow("a day ahead") << qint64(24 * 3600);
    }

    // A listing is kept while its directory's stamp, wherever it lies, stays the
    // same, and read again once it changed. The file list follows the directory
    // list, its pattern set before either.
    void changedDirectoryIsReadAgain()
    {
        QFETCH(qint64, stampOffset);
        TestTree tree;
        tree.files("d", {"old.txt"});
        tree.dir("d/sub");
        const QByteArray dir = tree.path("d");
        for (const QByteArray &path : {dir, tree.path("d/sub")})
            setModificationTime(path, time(nullptr) + stampOffset);

        DirectoryCursor cursor;
        cursor.files.setPattern(u"n*.*"_s);
        cursor.dir.setPath(dir);
        QCOMPARE(cursor.files.ListCount(), 0);
        cursor.dir.setPath(cursor.dir.List(0));
        const qint64 reads = cursor.cache.readCount();
        for (int turn = 0; turn < 10; ++turn) {
            cursor.dir.setPath(dir);
            cursor.dir.setPath(cursor.dir.List(0));
        }
        // Only the subdirectory, entered afresh each time, is read again.
        QCOMPARE(cursor.cache.readCount(), reads + 10);

        tree.file("d/new.txt");
        cursor.dir.setPath(dir);
        QCOMPARE(cursor.files.Path(), dir);
        QCOMPARE(names(cursor.files), QList<QByteArray>{"new.txt"});

        // A move whose change handler throws is undone: both lists stay on `dir`.
        cursor.dir.setChangeHandler([] { throw RuntimeError(ErrorNumber::DeviceIoError, {}); });
        QVERIFY_THROWS_EXCEPTION(RuntimeError, cursor.dir.setPath(cursor.dir.List(0)));
        QCOMPARE(cursor.dir.Path(), dir);
        QCOMPARE(cursor.dir.ListCount(), 1);
        QCOMPARE(cursor.files.Path(), dir);
    }

    // No link below where the lists began is followed: not on the way down to
    // a path, nor climbing back to a level whose handle was closed (16 are
    // kept open here) after the levels below it were moved away and a link
    // put in its place.
    void noLinkFollowed()
    {
#ifdef Q_OS_WIN
        QSKIP("Links need rights a test does not have on Windows");
#else
        TestTree tree;
        QByteArray chain = "R";
        for (int level = 1; level <= 22; ++level)
            tree.dir(chain += "/L" + QByteArray::number(level));
        tree.dir("elsewhere/L5");
        QVERIFY(QFile::link(tree.native("elsewhere"), tree.native("R/link")));
        rlimit files;
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
        const rlimit fewFiles = {std::min<rlim_t>(files.rlim_cur, 32), files.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &fewFiles), 0);
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_NOFILE, &files); });
        DirectoryCursor cursor;
        cursor.dir.setPath(tree.path("R"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, cursor.dir.setPath(tree.path("R/link/L5")));
        QCOMPARE(cursor.dir.Path(), tree.path("R"));

        cursor.dir.setPath(tree.path(chain));
        const QString l4 = tree.native("R/L1/L2/L3/L4");
        QVERIFY(QDir().rename(l4 + u"/L5"_s, tree.native("R/away")));
        QVERIFY(QDir().rename(l4, l4 + u"real"_s));
        QVERIFY(QFile::link(tree.native("elsewhere"), l4));
        try {
            cursor.dir.returnTo(tree.path("R/L1/L2/L3/L4").size());
            QFAIL("a link was followed");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().startsWith(u"Path not found: "_s + l4 + u' '),
                     qPrintable(error.description()));
        }
#endif
    }

    // Kernel file systems where this system mounts them ("/..." rows, their
    // types as found there), or mounted on a folder one on another, a later one
    // hiding those before it (the table writes " \t\n\\" as octal escapes),
    // the folder named as it is or through a link.
    void kernelMounts_data()
    {
        QTest::addColumn<QByteArray>("types");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("listed");
        for (const char *row :
             {"proc|/proc|0", "sysfs|/sys|0", "devpts|/dev/pts|0", "tmpfs|/dev/shm|1",
              "proc|a b\tc\nd\\040e|0", "sysfs|sys|0", "tmpfs|mount point|1", "ramfs|ram|1",
              "proc tmpfs|mount point|1", "tmpfs proc|mount point|0"}) {
            const QList<QByteArray> field = QByteArray(row).split('|');
            QTest::newRow(field[0] + ' ' + field[1]) << field[0] << field[1] << (field[2] == "1");
        }
    }

    void kernelMounts()
    {
        QFETCH(QByteArray, types);
        QFETCH(QByteArray, name);
        QFETCH(bool, listed);
#ifdef Q_OS_WIN
        Q_UNUSED(listed);
        QSKIP("Windows mounts no kernel file systems in folders");
#else
        if (name.startsWith('/')) {
            const QStorageInfo volume(QFile::decodeName(name));
            if (volume.rootPath() != QFile::decodeName(name) || volume.fileSystemType() != types)
                QSKIP("not mounted so on this system");
            DirectoryCursor cursor;
            cursor.dir.setPath(name.left(std::max(name.lastIndexOf('/'), qsizetype(1))));
            QCOMPARE(names(cursor.dir).contains(name.mid(name.lastIndexOf('/') + 1)), listed);
            return;
        }
        if (geteuid() != 0)
            QSKIP("mounting needs root");
        TestTree tree;
        tree.dir(name);
        const QByteArray mountPoint = tree.path(name);
        int mounted = 0;
        const auto unmount = qScopeGuard([&] {
            while (mounted-- > 0)
                umount2(mountPoint.constData(), MNT_DETACH);
        });
        for (const QByteArray &type : types.split(' ')) {
            if (mount("none", mountPoint.constData(), type.constData(), 0, nullptr) != 0)
                QSKIP("this system does not let the test mount");
            ++mounted;
        }
        // Listed or not, however the folder that holds it is named: the table
        // of mounts is looked at again within a second.
        QVERIFY(QFile::link(tree.native(), tree.native() + u".link"_s));
        const auto unlink = qScopeGuard([&] { QFile::remove(tree.native() + u".link"_s); });
        for (const QByteArray &folder : {tree.root(), tree.root() + ".link"}) {
            const auto isListed = [&] {
                DirectoryCursor cursor;
                cursor.dir.setPath(folder);
                return names(cursor.dir).contains(name);
            };
            QTRY_COMPARE_WITH_TIMEOUT(isListed(), listed, 3000);
        }
#endif
    }

    void errorTextsNameThePath_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("named");
        // A path below a missing folder, and how the error text names it.
        const auto row = [](const char *tag, const QByteArray &below, const QString &named) {
            QTest::newRow(tag) << "/missing/" + below << u"/missing/"_s + named;
        };
        const auto text = [](int count, char16_t c) { return QString(count, QChar(c)); };
        const QByteArray e = QByteArray("\xc3\xa9").repeated(100);
        row("line feed, escape and bell", "a\nb\x1b[2Jc\x07", u"a?b?[2Jc?"_s);
        row("delete and C1 controls", "\x7f\xc2\x80\xc2\x9b\xc2\x9f\xc2\xa0", u"????\u00a0"_s);
        row("long, short final name",
            QByteArray(100, 'a') + "/" + QByteArray(100, 'b') + "/last.txt",
            text(90, 'a') + u"..."_s + text(89, 'b') + u"/last.txt"_s);
        row("long final name kept whole", QByteArray(100, 'a') + "/" + QByteArray(120, 'c'),
            text(67, 'a') + u".../"_s + text(120, 'c'));
        row("final name longer than the room", QByteArray(240, 'c'),
            text(41, 'c') + u"..."_s + text(147, 'c'));
        row("long, counted in characters",
            e + "/" + e + "/" + QByteArray("\xf0\x9f\x8e\xb5").repeated(60),
            text(90, 0xe9) + u"..."_s + text(37, 0xe9) + u'/' + u"\U0001F3B5"_s.repeated(60));
    }

    void errorTextsNameThePath()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, named);
#ifdef Q_OS_WIN
        if (printableName(path) != decodedName(path))
            QSKIP("Windows refuses control characters in a path as a bad name");
        path.replace('/', PathSeparator);
        named = QDir::toNativeSeparators(named);
#endif

        DirectoryCursor cursor;
        try {
            cursor.dir.setPath(path);
            QFAIL("a missing directory was listed");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(),
                     u"Path not found: "_s + named + u" ("_s +
                         systemReason("No such file or directory", 3 /* path not found */) + u')');
        }
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
