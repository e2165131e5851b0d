// SPDX-License-Identifier: GPL-3.0-or-later
#include "readahead.h"

#include "runtimeerror.h"
#include "testtree.h"

#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Holds back the workers that reach it, as a mount whose server has gone
// would, until it is opened.
struct Gate
{
    std::atomic<int> waiting = 0;
    std::atomic<bool> isOpen = false;

    void open()
    {
        isOpen = true;
        isOpen.notify_all();
    }
};

// Every read of `path` (of any directory, when it is empty) by the pool's
// workers waits at the gate returned.
std::shared_ptr<Gate> stuckAt(ReadAhead &pool, const QByteArray &path = {})
{
    auto gate = std::make_shared<Gate>();
    pool.injectFaults({[gate, path](const QByteArray &read) {
                           if (!path.isEmpty() && read != path)
                               return;
                           ++gate->waiting;
                           gate->isOpen.wait(false);
                           --gate->waiting;
                       },
                       nullptr});
    return gate;
}

// Thrown by the walk's function for long waits, as a Cancel does.
struct WalkCancelled
{};

// A function for long waits that gives up after five seconds: a walk that
// waits longer waits for a directory no worker reads any more.
std::function<void()> patience()
{
    return [calls = 0]() mutable {
        if (++calls > 250)
            throw WalkCancelled();
    };
}

// The walk holding a directory, and the branch the workers read below it.
struct Held
{
    std::shared_ptr<DirectoryHandle> handle;
    std::shared_ptr<const DirectoryListing> listing;
    ReadAheadBranch branch;
};

Held follow(ReadAhead &pool, const QByteArray &path)
{
    Held held{DirectoryHandle::open(path), nullptr, {}};
    held.listing = std::make_shared<const DirectoryListing>(held.handle->read(path));
    held.branch = pool.follow(held.handle, path, held.listing);
    return held;
}

// Waits until the entries held ahead come to `expected`: the workers are done.
bool settles(const ReadAhead &pool, qint64 expected)
{
    for (int waited = 0; pool.entriesAhead() != expected; ++waited) {
        if (waited == 10000)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// R/a/a1/f.txt, R/a/a2/, R/b/f.txt, R/b/g.txt, R/c/c1/c2/, R/d/, R/r.txt: read
// ahead below R, a counts 3 entries, a1 2, a2 1, b 3, c 2, c1 2, c2 1. R/d,
// the walk's first, is the walk's own to read: it is never read ahead.
void makeTree(TestTree &tree)
{
    for (const char *file : {"R/a/a1/f.txt", "R/b/f.txt", "R/b/g.txt", "R/r.txt"})
        tree.file(file);
    tree.dir("R/a/a2");
    tree.dir("R/c/c1/c2");
    tree.dir("R/d");
}

enum class Fault { ReadFails, ReadOutOfMemory, KeepOutOfMemory };

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestReadAhead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failingWorker_data()
    {
        QTest::addColumn<QByteArray>("failing"); // below R; empty: none
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QByteArray>("readAhead"); // of c, b and a as the walk takes them
        QTest::addColumn<qint64>("entries");       // held ahead once the workers are done
        const auto row = [](const char *name, const char *failing, Fault fault,
                            const char *readAhead, qint64 entries) {
            QTest::newRow(name) << QByteArray(failing) << fault << QByteArray(readAhead) << entries;
        };
        row("no fault", "", Fault::ReadFails, "cba", 14);
        row("read of c fails", "c", Fault::ReadFails, "ba", 9);
        row("out of memory reading a/a1", "a/a1", Fault::ReadOutOfMemory, "cba", 12);
        row("out of memory keeping c", "c", Fault::KeepOutOfMemory, "ba", 9);
        row("out of memory keeping a", "a", Fault::KeepOutOfMemory, "cb", 8);
    }

    // A worker that fails leaves the directory to the walk, which reads it
    // itself; the rest is read ahead as ever. Nothing stays counted: more
    // rounds than there are handles to hold all go as the first did.
    void failingWorker()
    {
        QFETCH(QByteArray, failing);
        QFETCH(Fault, fault);
        QFETCH(QByteArray, readAhead);
        QFETCH(qint64, entries);
        TestTree tree;
        makeTree(tree);
        ReadAhead pool(2);
        const std::function<void(const QByteArray &)> fail =
            [fault,
             at = failing.isEmpty() ? failing : tree.path("R/" + failing)](const QByteArray &path) {
                if (path != at)
                    return;
                if (fault == Fault::ReadFails)
                    throw RuntimeError::forDirectory(EIO, path);
                throw std::bad_alloc();
            };
        const bool whileKeeping = fault == Fault::KeepOutOfMemory;
        pool.injectFaults({whileKeeping ? nullptr : fail, whileKeeping ? fail : nullptr});

        for (std::size_t round = 0; round <= directoryHandleBudget() / 2; ++round) {
            const Held top = follow(pool, tree.path("R"));
            QVERIFY(top.branch && settles(pool, entries));
            QByteArray taken;
            for (const char *name : {"c", "b", "a"}) {
                try {
                    if (pool.take(top.branch.get(), name, patience()).directory)
                        taken += name;
                } catch (const WalkCancelled &) {
                    QFAIL("the walk waits for ever");
                }
            }
            QCOMPARE(taken, readAhead);
        }
        QCOMPARE(pool.entriesAhead(), 0);
    }

    void stuckWorker_data()
    {
        // 0: a stop, 1: a Cancel thrown, 2: the pool's end, 3: b taken at
        // once, 4: the pool's end while b's read ends
        QTest::addColumn<int>("end");
        QTest::newRow("stop while the walk waits") << 0;
        QTest::newRow("Cancel thrown while the walk waits") << 1;
        QTest::newRow("the pool ends") << 2;
        QTest::newRow("the walk reads b itself") << 3;
        QTest::newRow("the pool ends as b's read ends") << 4;
    }

    // A worker is stuck reading b, below everything else of c. A stop while
    // the walk waits for b leaves b to the walk; a Cancel thrown from the
    // function for long waits leaves the pool as it was, b coming once read.
    // The pool's end waits a moment for the worker's read, and past that
    // lets the worker go: it lets go of all it holds when its read returns at
    // last. A read just begun the walk does itself, and the next ones too;
    // what the worker reads then is never counted.
    void stuckWorker()
    {
        QFETCH(int, end);
        TestTree tree;
        makeTree(tree);
        auto pool = std::make_unique<ReadAhead>(2);
        const auto gate = stuckAt(*pool, tree.path("R/b"));
        std::optional<Held> top = follow(*pool, tree.path("R"));
        QVERIFY(settles(*pool, 5));
        QTRY_COMPARE(gate->waiting.load(), 1);

        std::atomic<bool> ended = false;
        std::thread owner;
        const auto release = qScopeGuard([&] {
            gate->open();
            if (owner.joinable())
                owner.join();
        });
        if (end == 2 || end == 4) {
            top.reset();
            std::thread opener; // b's read ends a little after the pool's end begins
            if (end == 4)
                opener = std::thread([&] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(30));
                    gate->open();
                });
            long heldAtTheEnd = 0; // by the test and by whatever still runs
            owner = std::thread([&] {
                pool.reset();
                heldAtTheEnd = gate.use_count();
                ended = true;
            });
            QTRY_VERIFY(ended);
            if (opener.joinable())
                opener.join();
            QCOMPARE(heldAtTheEnd, end == 4 ? 1 : 2);
            QCOMPARE(gate->waiting.load(), end == 4 ? 0 : 1);
            gate->open();
            QTRY_COMPARE(gate.use_count(), 1);
            return;
        }
        if (end == 3) {
            // The walk caught up with the worker: a, next, is left to it too,
            // and c, c1 and c2 stay held. Waited for after all (a slow
            // machine), b comes with its read and the worker goes on with a,
            // a1 and a2. Either way b itself is never held.
            bool waited = false;
            const auto taken = pool->take(top->branch.get(), "b", [&] {
                waited = true;
                gate->open();
            });
            gate->open();
            const qint64 held = waited ? 11 : 5;
            QVERIFY(settles(*pool, held));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            QCOMPARE(pool->entriesAhead(), held);
            top.reset();
            QCOMPARE(pool->entriesAhead(), 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // b hangs a while
        bool thrown = false;
        try {
            const auto taken = pool->take(top->branch.get(), "b", [&] {
                if (end == 1)
                    throw WalkCancelled();
                pool->stop();
            });
            QVERIFY(!taken.directory && !taken.below);
        } catch (const WalkCancelled &) {
            thrown = true;
        }
        QCOMPARE(thrown, end == 1);
        QCOMPARE(pool->entriesAhead(), thrown ? 5 : 0);
        gate->open();
        QCOMPARE(bool(pool->take(top->branch.get(), "b", patience()).directory), thrown);
        top.reset();
        QCOMPARE(pool->entriesAhead(), 0);
    }

    // Three workers start; while their reads hang, the pool starts more, up to the
    // number asked for, each of which hangs in turn on the next directory.
    void workersGrowWhileReadsBlock()
    {
        TestTree tree;
        for (char name = 'a'; name <= 'j'; ++name)
            tree.dir(QByteArray("R/") + name);
        ReadAhead pool(8);
        const auto gate = stuckAt(pool);
        const auto release = qScopeGuard([&] { gate->open(); });
        Held top = follow(pool, tree.path("R"));
        QTRY_COMPARE(gate->waiting.load(), 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // they hang a while
        int waits = 0;
        QVERIFY_THROWS_EXCEPTION(WalkCancelled, pool.take(top.branch.get(), "i", [&] {
            if (gate->waiting.load() == 7 || ++waits > 250)
                throw WalkCancelled();
        }));
        QCOMPARE(gate->waiting.load(), 7);
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
        tree.dir("R/t"); // the walk's first, never read ahead
        ReadAhead pool(2);
        const auto gate = stuckAt(pool, tree.path("R/s9"));
        Held top = follow(pool, tree.path("R"));
        QTRY_COMPARE(gate->waiting.load(), 1);
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
            const auto gate = stuckAt(pool);
            std::vector<Held> held;
            do
                held.push_back(follow(pool, tree.path("R")));
            while (held.back().branch);
            const std::size_t followed = held.size() - 1;
            QVERIFY(followed >= 1 && followed <= directoryHandleBudget() / 2);
            QCOMPARE(followed, round == 0 ? followed : first);
            first = followed;
            QTRY_COMPARE(gate->waiting.load(), threads - 1);
            gate->open();
            held.clear();
            QCOMPARE(pool.entriesAhead(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
