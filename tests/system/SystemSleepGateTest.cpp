#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "support/InlineTaskPool.h"
#include "support/ManualMonotonicClock.h"
#include "system/SystemSleepGate.h"

using namespace veyrune;
using namespace std::chrono_literals;

namespace {

// A gate in virtual time whose flush finishes when the test says so.
struct GateHarness {
    test::ManualMonotonicClock clock;
    test::InlineTaskPool tasks;
    bool queueEmpty = true;
    std::vector<double> queueChecks;
    std::vector<double> allowedAt;
    std::function<void()> finishFlush;

    std::unique_ptr<SystemSleepGate> gate() {
        return std::make_unique<SystemSleepGate>(
            SystemSleepGate::defaultBudget, SystemSleepGate::defaultPollInterval,
            [this] {
                queueChecks.push_back(clock.elapsedSeconds());
                return queueEmpty;
            },
            [this](std::function<void()> done) { finishFlush = std::move(done); },
            [this] { allowedAt.push_back(clock.elapsedSeconds()); }, clock, tasks);
    }
    void flushFinishesAt(double seconds) {
        clock.at(seconds, [this] { finishFlush(); });
    }
};

}  // namespace

TEST(SystemSleepGate, FlushDoneAndQueueEmptyAllowsWithinOnePollAndOnlyOnce) {
    GateHarness harness;
    harness.flushFinishesAt(0);
    auto gate = harness.gate();
    gate->run();
    gate->run();
    ASSERT_EQ(harness.allowedAt.size(), 1u);
    EXPECT_LE(harness.allowedAt[0], 0.05);
}

TEST(SystemSleepGate, QueueThatNeverEmptiesIsAllowedAtTheBudget) {
    GateHarness harness;
    harness.queueEmpty = false;
    harness.flushFinishesAt(1.0);
    harness.gate()->run();
    ASSERT_EQ(harness.allowedAt.size(), 1u);
    EXPECT_GE(harness.allowedAt[0], 5.0);
    EXPECT_LT(harness.allowedAt[0], 5.05);
}

TEST(SystemSleepGate, SlowFlushHoldsSleepUntilItFinishes) {
    GateHarness harness;
    harness.flushFinishesAt(2.0);
    harness.gate()->run();
    ASSERT_EQ(harness.allowedAt.size(), 1u);
    EXPECT_GE(harness.allowedAt[0], 2.0);
    EXPECT_LE(harness.allowedAt[0], 2.05);
    // The queue is not consulted while the flush still runs.
    ASSERT_FALSE(harness.queueChecks.empty());
    EXPECT_GE(harness.queueChecks.front(), 2.0);
}

TEST(SystemSleepGate, FlushThatNeverFinishesIsAllowedAtTheBudget) {
    GateHarness harness;
    harness.gate()->run();
    ASSERT_EQ(harness.allowedAt.size(), 1u);
    EXPECT_GE(harness.allowedAt[0], 5.0);
    EXPECT_TRUE(harness.queueChecks.empty());
}

TEST(SystemSleepGate, StopRequestAllowsSleepAtOnce) {
    GateHarness harness;
    std::stop_source stop;
    harness.clock.at(1.0, [&] { stop.request_stop(); });
    harness.gate()->run(stop.get_token());
    ASSERT_EQ(harness.allowedAt.size(), 1u);
    EXPECT_LE(harness.allowedAt[0], 1.05);
}

TEST(SystemSleepGate, FlushMayFinishAfterTheGateIsGone) {
    GateHarness harness;
    harness.gate()->run();
    ASSERT_TRUE(harness.finishFlush);
    harness.finishFlush();
    EXPECT_EQ(harness.allowedAt.size(), 1u);
}

TEST(SystemSleepGate, RacingStopAndDeadlineAllowExactlyOnce) {
    SteadyMonotonicClock clock;
    test::InlineTaskPool tasks;
    for (int round = 0; round < 50; ++round) {
        std::atomic<int> allowed = 0;
        SystemSleepGate gate(
            0.002, 1ms, [] { return false; }, [](std::function<void()>) {}, [&] { ++allowed; },
            clock, tasks);
        std::jthread first([&](std::stop_token stop) { gate.run(stop); });
        std::jthread second([&] { gate.run(); });
        std::this_thread::sleep_for(std::chrono::microseconds(round * 40));
        first.request_stop();
        first.join();
        second.join();
        EXPECT_EQ(allowed.load(), 1) << "round " << round;
    }
}

TEST(SteadyMonotonicClock, StopRequestEndsTheSleep) {
    SteadyMonotonicClock clock;
    std::stop_source stop;
    std::jthread stopper([&] { stop.request_stop(); });
    EXPECT_FALSE(clock.sleepUntil(clock.now() + 60s, stop.get_token()));
    EXPECT_TRUE(clock.sleepUntil(clock.now() + 1ms, {}));
}
