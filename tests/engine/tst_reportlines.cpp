// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesize.h"
#include "runtimeerror.h"
#include "scanrun.h"
#include "testtree.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTest>

#include <csignal>

#ifdef Q_OS_WIN
#include "reportdescriptor.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>
#endif
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

// Line i of a report: 30 characters, 32 bytes with its line break.
ReportLine numberedLine(int i)
{
    ReportLine line;
    line.append(QStringLiteral("%1").arg(i, 30, 10, QLatin1Char('0')));
    return line;
}

} // namespace

class TestReportLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "length:written[:locale]", rounded half to even, in thousands below a
    // million, grouped by the locale in force (the default one, when named).
    void sizeTable_data()
    {
        QTest::addColumn<QByteArray>("row");
        for (const QByteArray &row :
             QByteArray("0:1Kb 999:1Kb 1000:1Kb 1499:1Kb 1500:2Kb 2500:2Kb 3500:4Kb 999499:999Kb "
                        "999500:1,000Kb 999999:1,000Kb 1000000:1Mb 2500000:2Mb 1500000000:1,500Mb "
                        "2147483647:2,147Mb 12000000000:12,000Mb 1000000000000000:1,000,000,000Mb "
                        "1500000000:1.500Mb:de_DE")
                 .split(' '))
            QTest::newRow(row) << row;
    }

    void sizeTable()
    {
        QFETCH(QByteArray, row);
        const auto restoreLocale =
            qScopeGuard([previous = QLocale()] { QLocale::setDefault(previous); });
        if (row.count(':') == 2)
            QLocale::setDefault(QLocale(QString::fromLatin1(row.split(':')[2])));
        const FileSize size = FormatFileSize(row.split(':')[0].toLongLong());
        QCOMPARE(size.number() + QString(size.unit), QString::fromLatin1(row.split(':')[1]));
    }

    void namesAreCutAndCleaned_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("written");
        const char *rows[][3] = {
            // tag, the name's bytes, the name as written
            {"18 characters, whole", "ABCDEFGHIJKLMNOPQR", "abcdefghijklmnopqr"},
            {"longer, cut", "abcdefghijklmnopqrstuvwxyz.txt", "abcdefghijklmnopqr"},
            {"newline", "two\nlines.txt", "two?lines.txt"},
            {"tab and delete", "a\tb\177c", "a?b?c"},
            {"invalid UTF-8", "caf\xe9.txt", "caf\uFFFD.txt"},
            {"character cut short", "a\360\237\216b\351\200", "a\uFFFDb\uFFFD"},
            {"overlong form and surrogate", "\xc0\xaf-\xed\xa0\x80",
             "\uFFFD\uFFFD-\uFFFD\uFFFD\uFFFD"},
            {"final sigma",
             "\xce\x9f\xce\xa3 \xce\x9f\xce\xa3\xce\xa3 \xce\xa3\xce\x91\xce\xa3.txt",
             "\u03bf\u03c2 \u03bf\u03c3\u03c2 \u03c3\u03b1\u03c3.txt"},
            {"beyond the basic plane", "\xf0\x9f\x8e\xb5 music", "\U0001F3B5 music"},
        };
        for (const auto &[tag, name, written] : rows)
            QTest::newRow(tag) << QByteArray(name) << QString::fromUtf8(written);
        QTest::newRow("non-ASCII, cut by characters")
            << QByteArray("\xc3\x89").repeated(19) << QString(18, QChar(0xe9));
    }

    void namesAreCutAndCleaned()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, written);
#ifdef Q_OS_WIN
        QSKIP("Windows names hold neither control characters nor bytes that are not UTF-8");
#endif

        TestTree tree;
        tree.file("Dir\nName/" + name, 10);
        ScanRun run;
        run.run(tree.root());

        QString expected = written;
        while (expected.toUcs4().size() < 19)
            expected += QLatin1Char(' ');
        expected += QStringLiteral("    1Kb ") + tree.reportRoot() + QStringLiteral("/dir?name");
        QCOMPARE(run.lines(), QStringList{expected});
    }

    // "mode before limit lines kept": a new report or one appended to over a
    // file holding `before`, room for `limit` bytes ("-": no limit), `lines`
    // lines written; what the new lines follow ("\r", "\n" are those characters).
    void reportHoldsWholeLines_data()
    {
        QTest::addColumn<QByteArray>("row");
        const std::pair<const char *, const char *> rows[] = {
            {"new report", "new old - 3 -"},
            {"appended to an empty file", "append - - 3 -"},
            {"appended after a line break", "append old\\r\\n - 3 old\\r\\n"},
            {"appended after a line feed", "append old\\n - 3 old\\n"},
            {"appended inside a line", "append old - 3 old\\r\\n"},
            {"appended after a carriage return", "append old\\r - 3 old\\r\\r\\n"},
            {"disk full when closed", "new - 1000 100 -"},
            {"disk full at the end of a line", "new - 992 100 -"},
            {"disk full in the first write", "new - 50001 4000 -"},
            {"disk full in a later write", "new - 100001 5000 -"},
            {"disk full, appended inside a line", "append old 1000 100 old\\r\\n"},
        };
        for (const auto &[name, row] : rows)
            QTest::newRow(name) << QByteArray(row);
    }

    void reportHoldsWholeLines()
    {
        QFETCH(QByteArray, row);
        QList<QByteArray> field = row.split(' ');
        for (QByteArray &text : field)
            text = text == "-" ? QByteArray() : text.replace("\\r", "\r").replace("\\n", "\n");
        const bool append = field[0] == "append";
        const QByteArray before = field[1], kept = field[4];
        const qint64 sizeLimit = field[2].toLongLong();
        const int lines = field[3].toInt();
#ifdef Q_OS_WIN
        if (sizeLimit > 0)
            QSKIP("Windows cannot limit the size of a process's files to fill a disk");
#endif

        TestTree tree;
        tree.write("report.txt", before);

        int errorNumber = 0;
        {
#ifndef Q_OS_WIN
            // Writing past the limit fails as on a full disk (EFBIG, no signal).
            rlimit original, limit;
            getrlimit(RLIMIT_FSIZE, &original);
            limit = original;
            if (sizeLimit > 0)
                limit.rlim_cur = rlim_t(sizeLimit);
            const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &limit);
            const auto restore = qScopeGuard([&] {
                setrlimit(RLIMIT_FSIZE, &original);
                std::signal(SIGXFSZ, signalBefore);
            });
#endif
            ReportFile report;
            try {
                append ? report.openForAppend(tree.path("report.txt"))
                       : report.openForOutput(tree.path("report.txt"));
                for (int i = 0; i < lines; ++i)
                    report.printLine(numberedLine(i));
            } catch (const RuntimeError &error) {
                errorNumber = error.number();
            }
            try {
                report.close();
            } catch (const RuntimeError &error) {
                errorNumber = error.number();
            }
            report.close(); // closing a closed report does nothing, writing to it fails
            QVERIFY_THROWS_EXCEPTION(RuntimeError, report.printLine(numberedLine(0)));
        }

        const qint64 room = sizeLimit > 0 ? (sizeLimit - kept.size()) / 32 : lines;
        const int whole = int(std::min<qint64>(lines, room));
        QByteArray expected = kept;
        for (int i = 0; i < whole; ++i)
            expected += numberedLine(i).utf8() + "\r\n";
        QCOMPARE(tree.read("report.txt"), expected);
        QCOMPARE(errorNumber, whole < lines ? ErrorNumber::DiskFull : 0);
    }

#ifdef Q_OS_WIN
    // A report shown in a console shows its characters, whatever the console's code page;
    // to a file or a pipe it stays UTF-8 (reportHoldsWholeLines).
    void consoleShowsCharacters()
    {
        FreeConsole(); // the one it may have been started in, shared with others
        if (!AllocConsole())
            QSKIP("no console to be had");
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(console != INVALID_HANDLE_VALUE);
        const int fd = _open_osfhandle(intptr_t(console), _O_BINARY);
        QVERIFY(SetConsoleCursorPosition(console, {0, 0}));
        const QString shown = QStringLiteral(u"caf\u00e9 \u03a9 ok");
        const QByteArray line = shown.toUtf8() + "\r\n";
        QCOMPARE(ReportDescriptor::writeAll(fd, line.constData(), line.size()), line.size());
        std::wstring cells(std::size_t(shown.size()), L' ');
        DWORD read = 0;
        QVERIFY(
            ReadConsoleOutputCharacterW(console, cells.data(), DWORD(cells.size()), {0, 0}, &read));
        QCOMPARE(QString::fromStdWString(cells.substr(0, read)), shown);
        _close(fd);
    }
#endif
};

QTEST_GUILESS_MAIN(TestReportLines)
#include "tst_reportlines.moc"
