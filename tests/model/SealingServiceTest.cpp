#include <gtest/gtest.h>

#include "model/SealingService.h"
#include "support/FakeWakeNotificationSource.h"
#include "support/InMemoryKeychainStore.h"
#include "support/InMemoryPreferences.h"
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

    // Seals after the first, which switching on wrote.
    std::size_t sealCount() const { return test::fileLines(history.seals()).size() - 1; }
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
    EXPECT_TRUE(Seal::parse(test::fileLines(history.seals())[1])->closing);
    EXPECT_TRUE(sealedThroughAll());
}

TEST_F(SealingServiceTest, AFailedSealIsReportedAndRetriedLaterNotInABusyLoop) {
    service.start();
    queue.drain();
    // A folder where the seals file should be: every append fails.
    auto seals = test::readFile(history.seals());
    std::filesystem::remove(history.seals());
    std::filesystem::create_directory(history.seals());
    history.append(1);
    history.clock.advance(kEpoch);
    ASSERT_TRUE(timer.fire());
    queue.drain();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(service.lastError().find(history.seals().string()), std::string::npos);
    EXPECT_TRUE(service.isSealing());
    ASSERT_TRUE(timer.pendingDelay());
    EXPECT_GE(*timer.pendingDelay(), 30.0);

    std::filesystem::remove(history.seals());
    test::writeFile(history.seals(), seals);
    ASSERT_TRUE(timer.fire());
    queue.drain();
    EXPECT_EQ(sealCount(), 1u);
    EXPECT_TRUE(service.lastError().empty());
}

TEST_F(SealingServiceTest, SwitchingOffSealsWhatIsThereRemovesTheKeyKeepsTheSealsAndStopsTheTimer) {
    service.start();
    history.append(1);
    history.clock.advance(kEpoch);
    queue.drain();
    ASSERT_EQ(sealCount(), 1u);
    history.append(1);
    service.disable();
    queue.drain();
    EXPECT_FALSE(std::filesystem::exists(history.keyFile()));
    ASSERT_EQ(sealCount(), 2u);
    EXPECT_TRUE(Seal::parse(test::fileLines(history.seals()).back())->closing);
    EXPECT_TRUE(sealedThroughAll());
    EXPECT_FALSE(timer.isPending());

    history.clock.advance(kEpoch);
    wake.wake();
    queue.drain();
    EXPECT_EQ(sealCount(), 2u);
    EXPECT_FALSE(timer.isPending());
    EXPECT_EQ(service.lastError(), "");
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

namespace {

// The same service with the "Seal the event log" switch it keeps in line.
struct SealingSwitchTest : SealingServiceTest {
    test::InMemoryPreferences preferences;
    test::InMemoryKeychainStore keychain;
    SettingsBridge settings{preferences, keychain};
    SealingService switched{history.sealer, queue, timer, &wake, history.clock, {}, &settings};

    bool switchOn() const { return settings.value(Settings::sealEventLog); }
};

TEST_F(SealingSwitchTest, AKeyFileGoneOrDamagedTurnsTheSwitchOffWithTheReasonAndNoRetries) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> damage;
        const char* reason;
    };
    for (const auto& c :
         {Case{"gone", [](const auto& key) { std::filesystem::remove(key); }, "is gone"},
          Case{"damaged", [](const auto& key) { test::writeFile(key, "{\"epo"); },
               "cannot be read"}}) {
        test::SealedHistory fresh;
        test::ManualTimerScheduler freshTimer;
        SealingService checked{fresh.sealer, queue, freshTimer, nullptr,
                               fresh.clock,  {},    &settings};
        settings.set(Settings::sealEventLog, true);
        checked.start();
        queue.drain();
        EXPECT_TRUE(checked.lastError().empty()) << c.name;
        EXPECT_TRUE(switchOn()) << c.name;

        c.damage(fresh.keyFile());
        fresh.clock.advance(kEpoch);
        freshTimer.fire();
        queue.drain();
        EXPECT_FALSE(switchOn()) << c.name;
        EXPECT_FALSE(checked.isSealing()) << c.name;
        EXPECT_NE(checked.lastError().find(fresh.keyFile().string()), std::string::npos) << c.name;
        EXPECT_NE(checked.lastError().find(c.reason), std::string::npos) << checked.lastError();
        EXPECT_FALSE(freshTimer.isPending()) << c.name;
    }
}

TEST_F(SealingSwitchTest, AtStartTheSwitchFollowsTheKeyFileAndTheReasonStaysUntilTheUserActs) {
    // A key file left from before the switch was stored: sealing runs, so it says so.
    switched.start();
    queue.drain();
    EXPECT_TRUE(switchOn());
    EXPECT_TRUE(switched.lastError().empty());

    std::filesystem::remove(history.keyFile());
    wake.wake();
    queue.drain();
    EXPECT_FALSE(switchOn());
    auto reason = switched.lastError();
    EXPECT_FALSE(reason.empty());
    wake.wake();
    queue.drain();
    EXPECT_EQ(switched.lastError(), reason);

    settings.set(Settings::sealEventLog, true);
    std::optional<VerificationKey> shown;
    switched.enable([&](std::optional<VerificationKey> key) { shown = key; });
    queue.drain();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(switchOn());
    EXPECT_TRUE(switched.lastError().empty());
}

TEST_F(SealingSwitchTest, ATickQueuedBeforeTheUserSwitchesOffNeitherUndoesItNorCallsItAStop) {
    switched.start();
    queue.drain();
    ASSERT_TRUE(switchOn());
    wake.wake();  // a tick waiting on the queue when the user clicks
    settings.set(Settings::sealEventLog, false);
    switched.disable();
    queue.drain();
    EXPECT_FALSE(switchOn());
    EXPECT_FALSE(switched.isSealing());
    EXPECT_EQ(switched.lastError(), "");
}

}  // namespace
