#include "readahead.h"

#include "runtimeerror.h"
#include "testtree.h"

#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

// Holds back the workers that reach it until it is opened.
class Gate
{
public:
    void pass()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_opened.wait(lock, [this] { return m_open; });
        --m_waiting;
    }
    void open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_opened.notify_all();
    }
    int waiting()
    {
        const std::lock_guard lock(m_mutex);
        return m_waiting;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    int m_waiting = 0;
    bool m_open = false;
};

// Thrown by the walk's function for long waits, as a Cancel does.
struct WalkCancelled
{};

// The walk holding a directory it follows: its handle, its listing, and the
// branch the workers read below it.
struct Held
{
    std::shared_ptr<DirectoryHandle> handle;
    std::shared_ptr<const DirectoryListing> listing;
    ReadAheadBranch branch;
};

Held follow(ReadAhead &pool, const QByteArray &path)
{
    Held held;
    held.handle = DirectoryHandle::open(path);
    held.listing = std::make_shared<const DirectoryListing>(held.handle->read(path));
    held.branch = pool.follow(held.handle, path, held.listing);
    return held;
}

// Waits until the entries held ahead come to `expected`: the workers are done.
bool settles(const ReadAhead &pool, qint64 expected)
{
    for (int waited = 0; waited < 10000; ++waited) {
        if (pool.entriesAhead() == expected)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// A function for long waits that gives up after a few seconds: a walk that
// waits longer waits for a directory no worker reads any more.
std::function<void()> patience()
{
    return [calls = 0]() mutable {
        if (++calls > 250)
            throw WalkCancelled();
    };
}

// R/a/a1/f.txt, R/a/a2/, R/b/f.txt, R/b/g.txt, R/c/c1/c2/, R/r.txt: read ahead
// below R, a counts 3 entries, a1 2, a2 1, b 3, c 2, c1 2, c2 1.
void makeTree(TestTree &tree)
{
    for (const char *file : {"R/a/a1/f.txt", "R/b/f.txt", "R/b/g.txt", "R/r.txt"})
        tree.file(file);
    tree.dir("R/a/a2");
    tree.dir("R/c/c1/c2");
}

} // namespace

class TestReadAhead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failingWorker_data()
    {
        QTest::addColumn<QByteArray>("failing");   // below R; empty: none
        QTest::addColumn<int>("fault");            // 0: the read throws, 1: it runs out of
                                                   // memory, 2: keeping the result does
        QTest::addColumn<QByteArray>("readAhead"); // of a, b and c as the walk takes them
        QTest::addColumn<qint64>("entries");       // held ahead once the workers are done
        QTest::newRow("no fault") << QByteArray() << 0 << QByteArray("cba") << qint64(14);
        QTest::newRow("read of c fails") << QByteArray("c") << 0 << QByteArray("ba") << qint64(9);
        QTest::newRow("out of memory reading a/a1")
            << QByteArray("a/a1") << 1 << QByteArray("cba") << qint64(12);
        QTest::newRow("out of memory keeping c")
            << QByteArray("c") << 2 << QByteArray("ba") << qint64(9);
        QTest::newRow("out of memory keeping a")
            << QByteArray("a") << 2 << QByteArray("cb") << qint64(8);
    }

    // A worker that fails leaves the directory to the walk, which reads it
    // itself; the rest is read ahead as ever. Nothing stays counted: more
    // rounds than there are handles to hold all begin as the first did.
    void failingWorker()
    {
        QFETCH(QByteArray, failing);
        QFETCH(int, fault);
        QFETCH(QByteArray, readAhead);
        QFETCH(qint64, entries);
        TestTree tree;
        makeTree(tree);
        ReadAhead pool(2);
        QVERIFY(pool.isActive());
        const QByteArray failingPath = failing.isEmpty() ? QByteArray() : tree.path("R/" + failing);
        const auto failAt = [failingPath](int kind) -> std::function<void(const QByteArray &)> {
            return [failingPath, kind](const QByteArray &path) {
                if (path != failingPath)
                    return;
                if (kind == 0)
                    throw RuntimeError::forDirectory(EIO, path);
                throw std::bad_alloc();
            };
        };
        pool.injectFaults({fault < 2 ? failAt(fault) : nullptr, fault == 2 ? failAt(1) : nullptr});

        const int rounds = int(directoryHandleBudget() / 2) + 1;
        for (int round = 0; round < rounds; ++round) {
            Held top = follow(pool, tree.path("R"));
            QVERIFY2(top.branch, qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY(settles(pool, entries));
            QByteArray taken;
            for (const char *name : {"c", "b", "a"}) {
                try {
                    if (pool.take(top.branch.get(), name, patience()).directory)
                        taken += name;
                } catch (const WalkCancelled &) {
                    QFAIL(
                        QByteArray("the walk waits for ever for " + QByteArray(name)).constData());
                }
            }
            QCOMPARE(taken, readAhead);
        }
        QCOMPARE(pool.entriesAhead(), 0);
    }

    void stopDuringTake_data()
    {
        QTest::addColumn<bool>("cancelled"); // the function for long waits throws; else stops
        QTest::newRow("stop") << false;
        QTest::newRow("cancel thrown") << true;
    }

    // The walk waits for b, which a worker is stuck reading. A stop while it
    // waits leaves it to read b itself; a Cancel thrown from the function for
    // long waits leaves the pool as it was, b coming as soon as it is read.
    void stopDuringTake()
    {
        QFETCH(bool, cancelled);
        TestTree tree;
        makeTree(tree);
        ReadAhead pool(2);
        const auto gate = std::make_shared<Gate>();
        pool.injectFaults({[gate, b = tree.path("R/b")](const QByteArray &path) {
                               if (path == b)
                                   gate->pass();
                           },
                           nullptr});
        Held top = follow(pool, tree.path("R"));
        QVERIFY(settles(pool, 5)); // c and everything below it
        QTRY_COMPARE(gate->waiting(), 1);

        bool thrown = false;
        try {
            const auto taken = pool.take(top.branch.get(), "b", [&] {
                if (cancelled)
                    throw WalkCancelled();
                pool.stop();
            });
            QVERIFY(!taken.directory && !taken.below);
        } catch (const WalkCancelled &) {
            thrown = true;
        }
        QCOMPARE(thrown, cancelled);
        QCOMPARE(pool.entriesAhead(), cancelled ? 5 : 0);
        gate->open();
        QCOMPARE(bool(pool.take(top.branch.get(), "b", patience()).directory), cancelled);
        top = {};
        QCOMPARE(pool.entriesAhead(), 0);
        // Ready for the next walk.
        Held again = follow(pool, tree.path("R"));
        QVERIFY(settles(pool, 14));
    }

    void passedChildren_data()
    {
        QTest::addColumn<QByteArray>("entered");   // by the walk while the worker is stuck on s9
        QTest::addColumn<QByteArray>("readAhead"); // of s9 ... s0
        QTest::newRow("none") << QByteArray() << QByteArray("9876543210");
        // The workers go on below s6: s8 and s7 are left to the walk.
        QTest::newRow("s6, ahead of the workers") << QByteArray("6") << QByteArray("9543210");
        QTest::newRow("s6 and s2") << QByteArray("62") << QByteArray("910");
    }

    // Subdirectories the walk enters before the workers get there are left to
    // it, and the workers go on below them. What the walk passes by (s3 here)
    // goes with the branch.
    void passedChildren()
    {
        QFETCH(QByteArray, entered);
        QFETCH(QByteArray, readAhead);
        TestTree tree;
        for (int i = 0; i < 10; ++i)
            tree.file("R/s" + QByteArray::number(i) + "/f.txt");
        ReadAhead pool(2);
        const auto gate = std::make_shared<Gate>();
        pool.injectFaults({[gate, s9 = tree.path("R/s9")](const QByteArray &path) {
                               if (path == s9)
                                   gate->pass();
                           },
                           nullptr});
        Held top = follow(pool, tree.path("R"));
        QTRY_COMPARE(gate->waiting(), 1);
        for (const char digit : entered)
            QVERIFY(!pool.take(top.branch.get(), QByteArray("s") + digit).directory);
        gate->open();
        QVERIFY(settles(pool, 2 * readAhead.size()));

        QByteArray taken;
        for (const char digit : QByteArray("987654210"))
            if (pool.take(top.branch.get(), QByteArray("s") + digit, patience()).directory)
                taken += digit;
        QCOMPARE(taken, QByteArray(readAhead).replace('3', ""));
        QCOMPARE(pool.entriesAhead(), readAhead.contains('3') ? 2 : 0);
        top = {};
        QCOMPARE(pool.entriesAhead(), 0);
    }

    void handleBudget_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("1 worker") << 2;
        QTest::newRow("3 workers") << 4;
    }

    // Directories whose subdirectories are still to read hold their handles,
    // within half the walk's share; beyond it the walk reads alone. Once let
    // go, every handle is there again.
    void handleBudget()
    {
        QFETCH(int, threads);
        TestTree tree;
        for (int i = 0; i < 16; ++i)
            tree.dir("R/s" + QByteArray::number(i));
        ReadAhead pool(threads);
        std::size_t first = 0;
        for (int round = 0; round < 3; ++round) {
            const auto gate = std::make_shared<Gate>(); // every read waits
            pool.injectFaults({[gate](const QByteArray &) { gate->pass(); }, nullptr});
            std::vector<Held> held;
            for (held.push_back(follow(pool, tree.path("R"))); held.back().branch;)
                held.push_back(follow(pool, tree.path("R")));
            const std::size_t followed = held.size() - 1;
            QVERIFY(followed >= 1 && followed <= directoryHandleBudget() / 2);
            QCOMPARE(followed, round == 0 ? followed : first);
            first = followed;
            QTRY_COMPARE(gate->waiting(), threads - 1);
            gate->open();
            held.clear();
            QCOMPARE(pool.entriesAhead(), 0);
        }
    }

    // A worker stuck in a read, as in a mount whose server went away, keeps
    // neither the end of the pool nor the end of the program waiting; when
    // its read returns at last, it lets go of everything.
    void endWhileStuck()
    {
        TestTree tree;
        makeTree(tree);
        auto pool = std::make_unique<ReadAhead>(4);
        const auto gate = std::make_shared<Gate>();
        pool->injectFaults({[gate, b = tree.path("R/b")](const QByteArray &path) {
                                if (path == b)
                                    gate->pass();
                            },
                            nullptr});
        {
            Held top = follow(*pool, tree.path("R"));
            QTRY_COMPARE(gate->waiting(), 1);
        }
        std::atomic<bool> ended = false;
        std::thread owner([&] {
            pool.reset();
            ended = true;
        });
        auto release = qScopeGuard([&] {
            gate->open();
            owner.join();
        });
        QTRY_VERIFY(ended);
        QCOMPARE(gate->waiting(), 1);
        release.dismiss();
        gate->open();
        owner.join();
        QTRY_COMPARE(gate.use_count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
