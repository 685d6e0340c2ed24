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

TEST(SystemSleepGate, SleepIsAllowedOnceWhenFlushedAndEmptyOrAtTheBudgetOrOnStop) {
    // Times in seconds of virtual time; the poll interval is 50 ms.
    struct Case {
        const char* name;
        bool queueEmpty;
        std::optional<double> flushFinishes;
        std::optional<double> stopAt;
        double allowedFrom, allowedBefore;
        std::optional<double> firstQueueCheck;  // none: never asked while flushing
    };
    const Case cases[] = {
        {"flushed and empty", true, 0, {}, 0, 0.051, 0},
        {"queue never empties", false, 1, {}, 5, 5.05, 1},
        {"slow flush holds sleep", true, 2, {}, 2, 2.051, 2},
        {"flush never finishes", true, {}, {}, 5, 5.05, {}},
        {"stop request", true, {}, 1, 0, 1.051, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GateHarness harness;
        harness.queueEmpty = c.queueEmpty;
        if (c.flushFinishes) {
            harness.flushFinishesAt(*c.flushFinishes);
        }
        std::stop_source stop;
        if (c.stopAt) {
            harness.clock.at(*c.stopAt, [&] { stop.request_stop(); });
        }
        auto gate = harness.gate();
        gate->run(stop.get_token());
        gate->run(stop.get_token());
        ASSERT_EQ(harness.allowedAt.size(), 1u);
        EXPECT_GE(harness.allowedAt[0], c.allowedFrom);
        EXPECT_LT(harness.allowedAt[0], c.allowedBefore);
        if (c.firstQueueCheck) {
            ASSERT_FALSE(harness.queueChecks.empty());
            EXPECT_GE(harness.queueChecks.front(), *c.firstQueueCheck);
        } else if (!c.stopAt) {
            EXPECT_TRUE(harness.queueChecks.empty());
        }
    }
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
