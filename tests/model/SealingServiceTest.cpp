#include <gtest/gtest.h>

#include "model/SealingService.h"
#include "support/FakeWakeNotificationSource.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTimerScheduler.h"
#include "support/SealedHistory.h"

using namespace veyrune;

namespace {

// The service on a manual queue and timer over a real sealed log; the
// history has begun sealing at the start of an epoch.
struct SealingServiceTest : ::testing::Test {
    test::SealedHistory history;
    test::ManualSerialQueue queue{"Veyrune.Sealing"};
    test::ManualTimerScheduler timer;
    test::FakeWakeNotificationSource wake;
    std::vector<std::string> reported;
    SealingService service{
        history.sealer, queue,
        timer,          &wake,
        history.clock,  [this](const std::string& error) { reported.push_back(error); }};

    std::size_t sealCount() const { return test::fileLines(history.seals()).size(); }
    bool sealedThroughAll() const {
        auto result = history.verify();
        return std::holds_alternative<SealVerificationResult::Sealed>(result.value) &&
               std::get<SealVerificationResult::Sealed>(result.value).unsealedEntries == 0;
    }
};

constexpr double kEpoch = test::SealedHistory::epochSeconds;

TEST_F(SealingServiceTest, StartSealsTheEpochThatEndedWhileOffAndArmsForTheNextEnd) {
    history.append(2);
    history.clock.advance(kEpoch + 100);
    std::size_t sealsWhenStarted = 0;
    service.start([&] { sealsWhenStarted = sealCount(); });
    queue.drain();
    EXPECT_EQ(sealsWhenStarted, 1u);
    EXPECT_TRUE(sealedThroughAll());
    ASSERT_TRUE(timer.pendingDelay());
    EXPECT_DOUBLE_EQ(*timer.pendingDelay(), kEpoch - 100);
}

TEST_F(SealingServiceTest, EachTimerSealsItsEpochAndArmsTheNext) {
    service.start();
    queue.drain();
    EXPECT_EQ(sealCount(), 0u);
    for (std::size_t epoch = 1; epoch <= 3; ++epoch) {
        history.append(1);
        history.clock.advance(*timer.pendingDelay());
        ASSERT_TRUE(timer.fire());
        queue.drain();
        EXPECT_EQ(sealCount(), epoch);
        EXPECT_DOUBLE_EQ(*timer.pendingDelay(), kEpoch);
    }
    EXPECT_TRUE(sealedThroughAll());
}

TEST_F(SealingServiceTest, AWakeAfterTheEpochEndedSealsWithoutWaitingForTheTimer) {
    service.start();
    queue.drain();
    history.append(1);
    history.clock.advance(kEpoch * 3 + 5);
    wake.wake();
    queue.drain();
    EXPECT_EQ(sealCount(), 1u);
    EXPECT_DOUBLE_EQ(*timer.pendingDelay(), kEpoch - 5);
}

TEST_F(SealingServiceTest, CloseSealsTheCurrentEpochBeforeItsEndAndThenReportsDone) {
    service.start();
    queue.drain();
    history.append(2);
    bool done = false;
    service.close([&] { done = true; });
    EXPECT_FALSE(done);
    queue.drain();
    EXPECT_TRUE(done);
    ASSERT_EQ(sealCount(), 1u);
    EXPECT_TRUE(Seal::parse(test::fileLines(history.seals())[0])->closing);
    EXPECT_TRUE(sealedThroughAll());
}

TEST_F(SealingServiceTest, AFailedSealIsReportedAndRetriedLaterNotInABusyLoop) {
    service.start();
    queue.drain();
    // A folder where the seals file should be: every append fails.
    std::filesystem::create_directory(history.seals());
    history.clock.advance(kEpoch);
    ASSERT_TRUE(timer.fire());
    queue.drain();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_FALSE(service.lastError().empty());
    ASSERT_TRUE(timer.pendingDelay());
    EXPECT_GE(*timer.pendingDelay(), 30.0);

    std::filesystem::remove(history.seals());
    ASSERT_TRUE(timer.fire());
    queue.drain();
    EXPECT_EQ(sealCount(), 1u);
    EXPECT_TRUE(service.lastError().empty());
}

TEST_F(SealingServiceTest, SwitchingOffRemovesTheKeyKeepsTheSealsAndStopsTheTimer) {
    service.start();
    history.clock.advance(kEpoch);
    queue.drain();
    ASSERT_EQ(sealCount(), 1u);
    service.disable();
    queue.drain();
    EXPECT_FALSE(std::filesystem::exists(history.keyFile()));
    EXPECT_EQ(sealCount(), 1u);
    EXPECT_FALSE(timer.isPending());

    history.clock.advance(kEpoch);
    wake.wake();
    queue.drain();
    EXPECT_EQ(sealCount(), 1u);
    EXPECT_FALSE(timer.isPending());
}

TEST_F(SealingServiceTest, SwitchingOnGivesAKeyTheNextSealsVerifyWith) {
    service.disable();
    service.start();
    queue.drain();
    std::optional<VerificationKey> shown;
    service.enable([&](std::optional<VerificationKey> key) { shown = key; });
    queue.drain();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(timer.isPending());
    history.key = *shown;
    history.append(2);
    history.clock.advance(*timer.pendingDelay());
    timer.fire();
    queue.drain();
    EXPECT_TRUE(sealedThroughAll());
}

}  // namespace
