#include "forward/LogForwarder.h"

#include <gtest/gtest.h>

#include "base/AsioTaskPool.h"
#include "base/PosixFileSystem.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "record/JSONLines.h"
#include "support/EventFactory.h"
#include "support/FakeLineSink.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTaskPool.h"
#include "support/ManualTimerScheduler.h"
#include "support/TempDirectory.h"
#include "support/WaitUntil.h"

namespace veyrune {
namespace {

using test::FakeLineSink;

// The event log, the seals file and one route's forwarder, driven by hand:
// the queue, the blocking pool and the retry timer run only when drained.
struct ForwarderWorld {
    explicit ForwarderWorld(FileSystem& fileSystem = PosixFileSystem::shared())
        : files(fileSystem) {}

    std::shared_ptr<LogForwarder> makeForwarder(TaskPool& blockingIO) {
        return LogForwarder::make({files,
                                   {dir / "security-events.jsonl", dir / "security-events.seals",
                                    dir / "forwarding" / "collector.cursor"},
                                   queue,
                                   blockingIO,
                                   timer,
                                   clock});
    }
    // A forwarder as after a start of Veyrune: nothing kept in memory.
    std::shared_ptr<LogForwarder> start(std::shared_ptr<LineSink> to) {
        auto forwarder = makeForwarder(pool);
        forwarder->setSink(std::move(to), "collector.example:2514");
        drive();
        return forwarder;
    }
    void drive() {
        while (queue.drain() + pool.drain() > 0) {
        }
    }
    void record(int count) {
        for (int i = 0; i < count; ++i) {
            events.append(test::makeEvent());
        }
    }
    void seal(const std::string& line) {
        appendJSONLine(files, dir / "security-events.seals", line);
    }
    std::vector<std::string> logLines() const { return events.readLines(); }

    test::TempDirectory dir;
    FileSystem& files;
    JSONLFileSecurityEventStore events{dir / "security-events.jsonl", files};
    test::ManualSerialQueue queue;
    test::ManualTaskPool pool;
    test::ManualTimerScheduler timer;
    test::ManualClock clock;
    std::shared_ptr<FakeLineSink> sink = std::make_shared<FakeLineSink>();
};

TEST(LogForwarder, ACollectorTakingPartOfEachBatchGetsEveryLineOnceAndSealsAfterTheirEvents) {
    ForwarderWorld world;
    world.sink->takeAtMost(3);
    auto forwarder = world.start(world.sink);
    world.record(10);
    world.seal(R"({"epoch":1,"seq":10})");
    world.record(2);
    forwarder->poke();
    world.drive();

    auto taken = world.sink->takenInOrder();
    ASSERT_EQ(taken.size(), 13u);
    EXPECT_EQ(world.sink->taken(ForwardedLog::events), world.logLines());
    // The seal speaks of the first ten events: it waits until every event line read went.
    EXPECT_EQ(taken.back().log, ForwardedLog::seals);
    auto status = forwarder->status();
    EXPECT_EQ(status.state, ForwardingStatus::State::connected);
    EXPECT_EQ(status.waitingLines, 0u);
    EXPECT_EQ(status.lastTakenAt, world.clock.now());
}

TEST(LogForwarder, NothingIsSentAgainAndNoTimerRunsWhenNothingIsNew) {
    ForwarderWorld world;
    auto forwarder = world.start(world.sink);
    world.record(2);
    forwarder->poke();
    world.drive();
    int sends = world.sink->sends();
    for (int i = 0; i < 5; ++i) {
        forwarder->poke();
    }
    world.drive();
    EXPECT_EQ(world.sink->sends(), sends);
    EXPECT_FALSE(world.timer.isPending());
    EXPECT_EQ(world.sink->taken(ForwardedLog::events).size(), 2u);
}

TEST(LogForwarder, AFailingCollectorIsRetriedWithGrowingCappedDelaysAndCountsWhatWaits) {
    ForwarderWorld world;
    world.sink->failNext(std::vector<std::string>(10, "connection refused"));
    auto forwarder = world.start(world.sink);
    world.record(4);
    forwarder->poke();  // waiting to retry: only counted, not sent
    world.drive();
    auto status = forwarder->status();
    EXPECT_EQ(status.state, ForwardingStatus::State::failing);
    EXPECT_EQ(status.error, "connection refused");
    EXPECT_EQ(status.waitingLines, 4u);
    EXPECT_EQ(world.sink->sends(), 1);

    std::vector<double> delays;
    while (world.sink->taken(ForwardedLog::events).empty()) {
        delays.push_back(*world.timer.pendingDelay());
        world.timer.fire();
        world.drive();
    }
    EXPECT_EQ(delays, (std::vector<double>{2, 4, 8, 16, 32, 64, 128, 256, 300, 300}));
    EXPECT_EQ(world.sink->taken(ForwardedLog::events), world.logLines());
    EXPECT_EQ(forwarder->status().state, ForwardingStatus::State::connected);
    EXPECT_TRUE(forwarder->status().error.empty());
}

TEST(LogForwarder, ACursorLostToAPowerCutRepeatsOnlyTheUnsavedLinesAndLosesNone) {
    test::FaultInjectingFileSystem files;
    ForwarderWorld world(files);
    auto forwarder = world.start(world.sink);
    world.record(3);
    forwarder->poke();
    world.drive();
    // The next lines are taken, but their cursor never reaches the disk.
    files.failAtomicWrites = true;
    world.record(2);
    forwarder->poke();
    world.drive();
    EXPECT_EQ(world.sink->taken(ForwardedLog::events).size(), 5u);
    forwarder.reset();
    files.failAtomicWrites = false;

    auto again = std::make_shared<FakeLineSink>();
    auto restarted = world.start(again);
    auto lines = world.logLines();
    EXPECT_EQ(again->taken(ForwardedLog::events),
              std::vector<std::string>(lines.begin() + 3, lines.end()));
    auto third = std::make_shared<FakeLineSink>();
    world.start(third);
    EXPECT_TRUE(third->takenInOrder().empty());
}

TEST(LogForwarder, LogChangesAreFollowedByTheByteCursor) {
    struct Case {
        const char* name;
        std::function<void(ForwarderWorld&)> change;
        std::size_t firstNewLine;  // index in the log after the change
    };
    std::vector<Case> cases{
        // Restarts of the chain at seq 1 append: only the new lines go.
        {"chain restarted at seq 1 in the same file",
         [](ForwarderWorld& w) {
             w.files.append(w.dir / "security-events.jsonl", "{\"cut\":");
             w.record(2);
         },
         3},
        {"log replaced by another file",
         [](ForwarderWorld& w) {
             auto lines = w.logLines();
             w.files.writeAtomically(w.dir / "security-events.jsonl", lines[0] + "\n" + "{}\n");
         },
         0},
        {"log rewritten shorter in place",
         [](ForwarderWorld& w) {
             test::writeFile(w.dir / "security-events.jsonl", "{\"seq\":1}\n");
         },
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ForwarderWorld world;
        auto forwarder = world.start(world.sink);
        world.record(3);
        forwarder->poke();
        world.drive();
        c.change(world);
        forwarder->poke();
        world.drive();
        auto lines = world.logLines();
        auto taken = world.sink->taken(ForwardedLog::events);
        ASSERT_GE(taken.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(taken.begin() + 3, taken.end()),
                  std::vector<std::string>(lines.begin() + long(c.firstNewLine), lines.end()));
    }
}

TEST(LogForwarder, StopCancelsAStalledCollectorInsteadOfWaitingForIt) {
    ForwarderWorld world;
    AsioTaskPool blocking(1);
    world.record(1);
    world.sink->stallUntilCancelled();
    auto forwarder = world.makeForwarder(blocking);
    forwarder->setSink(world.sink, "collector.example:2514");
    world.queue.drain();
    ASSERT_TRUE(test::waitUntil([&] { return world.sink->isStalled(); }));
    forwarder->stop(std::chrono::steady_clock::now());
    blocking.shutdown();  // returns only once the stalled send has ended
    world.queue.drain();
    EXPECT_TRUE(world.sink->takenInOrder().empty());
    EXPECT_FALSE(world.timer.isPending());
    // Its line is still waiting for the next start.
    auto again = std::make_shared<FakeLineSink>();
    world.start(again);
    EXPECT_EQ(again->taken(ForwardedLog::events), world.logLines());
}

TEST(LogForwarder, ANewDestinationStartsFromTheFirstLine) {
    ForwarderWorld world;
    auto forwarder = world.start(world.sink);
    world.record(2);
    forwarder->poke();
    world.drive();
    auto other = std::make_shared<FakeLineSink>();
    forwarder->setSink(other, "elsewhere.example:2514");
    world.drive();
    EXPECT_EQ(other->taken(ForwardedLog::events), world.logLines());
    forwarder->setSink(nullptr, "");
    world.drive();
    EXPECT_EQ(forwarder->status().state, ForwardingStatus::State::off);
}

}  // namespace
}  // namespace veyrune
