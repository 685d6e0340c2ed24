#include "delivery/DeliveryManager.h"

#include <gtest/gtest.h>

#include "outbox/OutboxStoreError.h"
#include "outbox/SQLiteOutboxStore.h"
#include "record/RecordCoding.h"
#include "support/EventFactory.h"
#include "support/FakeDeliveryChannel.h"
#include "support/FakeNetworkPathMonitor.h"
#include "support/FakeWakeNotificationSource.h"
#include "support/InlineTaskPool.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTimerScheduler.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using Kind = DeliveryChannelKind;
using Code = DeliveryFailureCode;

namespace {

// The real store, remembering the order in which records were enqueued.
class RecordingStore final : public OutboxStore {
  public:
    explicit RecordingStore(OutboxStore& store) : store_(store) {}
    std::vector<Kind> enqueued;
    bool failNextDueDate = false;

    OutboxRecord enqueue(std::optional<Uuid> e, Kind c, const std::string& p, Instant t) override {
        enqueued.push_back(c);
        return store_.enqueue(e, c, p, t);
    }
    std::vector<OutboxRecord> claimDueRecords(Instant now) override {
        return store_.claimDueRecords(now);
    }
    void markSent(const Uuid& id) override { store_.markSent(id); }
    void reschedule(const Uuid& id, std::int64_t a, Instant n, Code f) override {
        store_.reschedule(id, a, n, f);
    }
    void markFailed(const Uuid& id, std::int64_t a, Code f) override {
        store_.markFailed(id, a, f);
    }
    void recoverInterruptedSends(Instant now) override { store_.recoverInterruptedSends(now); }
    void makeNetworkFailuresDue(Instant now) override { store_.makeNetworkFailuresDue(now); }
    void retryFailedDeliveries(const Uuid& e, Instant now) override {
        store_.retryFailedDeliveries(e, now);
    }
    AttemptsByEvent deliveryAttempts(const std::vector<Uuid>& ids, std::size_t b) override {
        return store_.deliveryAttempts(ids, b);
    }
    DeliveryQueueSummary queueSummary() override { return store_.queueSummary(); }
    std::optional<Instant> nextDueDate() override {
        if (failNextDueDate) {
            throw OutboxStoreError::operationDidNotComplete();
        }
        return store_.nextDueDate();
    }

  private:
    OutboxStore& store_;
};

class DeliveryManagerTest : public ::testing::Test {
  protected:
    test::TempDirectory dir;
    SQLiteOutboxStore sqlite{dir / "VeyruneModel.sqlite"};
    RecordingStore store{sqlite};
    test::ManualSerialQueue queue{DeliveryManager::queueLabel};
    test::ManualClock clock;
    test::ManualTimerScheduler timer;
    test::InlineTaskPool pool;
    test::FakeNetworkPathMonitor monitor;
    test::FakeWakeNotificationSource wakes;  // outlives the manager, which stops observing it
    std::shared_ptr<test::FakeDeliveryChannel> telegram =
        std::make_shared<test::FakeDeliveryChannel>(Kind::telegram);
    std::shared_ptr<test::FakeDeliveryChannel> webhook =
        std::make_shared<test::FakeDeliveryChannel>(Kind::webhook);
    std::set<Kind> enabled = {Kind::telegram};
    SecurityEvent event = test::makeEvent();

    std::shared_ptr<DeliveryManager> make(OutboxStore& outbox) {
        auto made = DeliveryManager::create({outbox,
                                             queue,
                                             {{Kind::telegram, telegram}, {Kind::webhook, webhook}},
                                             [this] { return enabled; },
                                             clock,
                                             timer,
                                             pool,
                                             &monitor});
        onQueue([&] { made->start(true); });
        return made;
    }
    std::shared_ptr<DeliveryManager> manager = make(store);

    // Runs `work` as queue work, so synchronous hops run in place.
    void onQueue(const std::function<void()>& work) {
        queue.post(work);
        queue.drain();
    }
    DeliveryEnqueueOutcome enqueue() { return enqueue(event); }
    DeliveryEnqueueOutcome enqueue(const SecurityEvent& alert) {
        std::optional<DeliveryEnqueueOutcome> outcome;
        manager->enqueueWithOutcome(alert, [&](auto o) { outcome = o; });
        queue.drain();
        return outcome.value();
    }
    std::vector<DeliveryAttempt> attempts(const SecurityEvent& alert) {
        OutboxStore::AttemptsByEvent all;
        onQueue([&] { all = manager->deliveryAttempts({alert.id}); });
        return all[alert.id];
    }
    std::vector<DeliveryAttempt> attempts() { return attempts(event); }
    // Enqueues `count` alerts, each its own event.
    std::vector<SecurityEvent> enqueueAlerts(int count) {
        std::vector<SecurityEvent> alerts;
        for (int i = 0; i < count; ++i) {
            alerts.push_back(test::makeEvent());
            enqueue(alerts.back());
        }
        return alerts;
    }
    DeliveryQueueSummary summary() {
        DeliveryQueueSummary s;
        onQueue([&] { s = manager->queueSummary(); });
        return s;
    }
    // Lets the pending retry timer fire at its deadline.
    void fireTimer() {
        clock.advance(timer.pendingDelay().value());
        ASSERT_TRUE(timer.fire());
        queue.drain();
    }
};

}  // namespace

TEST_F(DeliveryManagerTest, DisabledOrUnconfiguredChannelsWriteNothing) {
    enabled = {};
    EXPECT_EQ(enqueue(), DeliveryEnqueueOutcome::disabled);
    enabled = {Kind::telegram, Kind::webhook, Kind::smtp};
    telegram->setConfigured(false);
    webhook->setConfigured(false);
    EXPECT_EQ(enqueue(), DeliveryEnqueueOutcome::notConfigured);  // no smtp channel exists
    EXPECT_TRUE(store.enqueued.empty());
    EXPECT_EQ(summary().pendingCount, 0);
}

TEST_F(DeliveryManagerTest, TwoChannelsGiveTwoRecordsTelegramFirstAndBothSend) {
    enabled = {Kind::webhook, Kind::telegram};
    EXPECT_EQ(enqueue(), DeliveryEnqueueOutcome::queued);
    EXPECT_EQ(store.enqueued, (std::vector<Kind>{Kind::telegram, Kind::webhook}));
    ASSERT_EQ(telegram->sentEvents().size(), 1u);
    ASSERT_EQ(webhook->sentEvents().size(), 1u);
    EXPECT_EQ(telegram->sentEvents()[0], event);  // the payload round-trips the event
    auto list = attempts();
    ASSERT_EQ(list.size(), 2u);
    for (const auto& attempt : list) {
        EXPECT_EQ(attempt.status, DeliveryAttemptStatus::sent);
        EXPECT_EQ(attempt.attempts, 1);
        EXPECT_FALSE(attempt.nextAttemptAt);
        EXPECT_FALSE(attempt.lastError);
    }
    EXPECT_TRUE(manager->isQueueEmpty());
}

TEST_F(DeliveryManagerTest, RetryableFailuresFollowTheScheduleThenGiveUp) {
    telegram->answer(DeliveryResult::retryable(Code::server), 11);
    enqueue();
    const double schedule[] = {2, 10, 30, 120, 300, 900, 1800, 3600, 3600, 3600};
    for (int n = 0; n < 10; ++n) {
        auto list = attempts();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].status, DeliveryAttemptStatus::pending);
        EXPECT_EQ(list[0].attempts, n + 1);
        EXPECT_EQ(list[0].nextAttemptAt, addSeconds(clock.now(), schedule[n])) << n;
        EXPECT_EQ(timer.pendingDelay(), schedule[n]) << n;
        EXPECT_FALSE(manager->isQueueEmpty());  // even while the wait is an hour long
        EXPECT_EQ(summary().pendingCount, 1);
        fireTimer();
    }
    auto list = attempts();
    EXPECT_EQ(list[0].status, DeliveryAttemptStatus::failed);
    EXPECT_EQ(list[0].attempts, 11);
    EXPECT_EQ(list[0].lastError, "server");
    EXPECT_EQ(telegram->sentEvents().size(), 11u);
    EXPECT_FALSE(timer.isPending());
    EXPECT_TRUE(manager->isQueueEmpty());
    EXPECT_EQ(summary().failedCount, 1);
}

TEST_F(DeliveryManagerTest, TerminalFailureOnFirstAttemptFailsAtOnceAndUserRetrySendsAgain) {
    telegram->answer(DeliveryResult::terminal(Code::rejected));
    enqueue();
    auto list = attempts();
    EXPECT_EQ(list[0].status, DeliveryAttemptStatus::failed);
    EXPECT_EQ(list[0].attempts, 1);
    EXPECT_EQ(list[0].lastError, "rejected");
    EXPECT_FALSE(timer.isPending());

    manager->retry(event.id);
    queue.drain();
    list = attempts();
    EXPECT_EQ(list[0].status, DeliveryAttemptStatus::sent);
    EXPECT_EQ(list[0].attempts, 2);
}

TEST_F(DeliveryManagerTest, NetworkReturnMakesNetworkFailuresDueAtOnce) {
    monitor.report(true);
    queue.drain();
    telegram->answer(DeliveryResult::retryable(Code::network), 2);
    enqueue();
    fireTimer();  // second failure: next try in 10 s
    monitor.report(false);
    queue.drain();
    EXPECT_EQ(telegram->sentEvents().size(), 2u);
    monitor.report(true);  // back before the 10 s are up
    queue.drain();
    EXPECT_EQ(telegram->sentEvents().size(), 3u);
    EXPECT_EQ(attempts()[0].status, DeliveryAttemptStatus::sent);
    EXPECT_TRUE(manager->isQueueEmpty());
}

TEST_F(DeliveryManagerTest, DisabledChannelAndUndecodablePayloadEndAsFailed) {
    sqlite.enqueue(event.id, Kind::telegram, "not an event", clock.now());
    sqlite.enqueue(event.id, Kind::webhook, encodeEventPayload(event), clock.now());
    manager->flushNow();
    queue.drain();
    auto list = attempts();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].lastError, "legacyPayload");
    EXPECT_EQ(list[1].lastError, "notConfigured");
    EXPECT_TRUE(webhook->sentEvents().empty());
}

TEST_F(DeliveryManagerTest, NoEnabledChannelClaimsNothingAndCancelsTheTimer) {
    telegram->answer(DeliveryResult::retryable(Code::server));
    enqueue();
    ASSERT_TRUE(timer.isPending());
    enabled = {};
    manager->channelsChanged();
    queue.drain();
    EXPECT_FALSE(timer.isPending());
    manager->flushNow();
    queue.drain();
    EXPECT_EQ(attempts()[0].status, DeliveryAttemptStatus::pending);
}

TEST_F(DeliveryManagerTest, SendsInterruptedByAnEarlierRunGoOutAtStart) {
    sqlite.enqueue(event.id, Kind::telegram, encodeEventPayload(event), clock.now());
    sqlite.claimDueRecords(clock.now());  // the process ended mid-send
    auto restarted = make(store);
    EXPECT_EQ(timer.pendingDelay(), 0);  // due at once
    fireTimer();
    EXPECT_EQ(telegram->sentEvents().size(), 1u);
    EXPECT_EQ(attempts()[0].status, DeliveryAttemptStatus::sent);
}

TEST_F(DeliveryManagerTest, UnopenableStoreReportsStorageUnavailable) {
    test::writeFile(dir / "broken.sqlite", std::string(4096, 'x'));
    SQLiteOutboxStore broken(dir / "broken.sqlite");
    manager = make(broken);
    EXPECT_EQ(enqueue(), DeliveryEnqueueOutcome::storageUnavailable);
    EXPECT_EQ(summary(), (DeliveryQueueSummary{0, 0, DeliveryStorageAvailability::unavailable}));
    EXPECT_TRUE(attempts().empty());
    EXPECT_TRUE(manager->isQueueEmpty());
}

TEST_F(DeliveryManagerTest, FailedDueDateLookupIsAStoreFailure) {
    telegram->answer(DeliveryResult::retryable(Code::server));
    store.failNextDueDate = true;
    enqueue();
    // Nothing would wake the queue, so the sleep gate must not wait on it.
    EXPECT_FALSE(timer.isPending());
    EXPECT_TRUE(manager->isQueueEmpty());
    EXPECT_EQ(summary().storageAvailability, DeliveryStorageAvailability::unavailable);

    store.failNextDueDate = false;
    manager->flushNow();
    queue.drain();
    EXPECT_TRUE(timer.isPending());
    EXPECT_EQ(summary().storageAvailability, DeliveryStorageAvailability::available);
}

TEST_F(DeliveryManagerTest, CallbacksAfterTheManagerIsGoneDoNothing) {
    telegram->answer(DeliveryResult::retryable(Code::server));
    enqueue();
    ASSERT_TRUE(timer.isPending());
    manager.reset();
    EXPECT_FALSE(timer.isPending());  // cancelled when torn down
    monitor.report(true);
    queue.drain();
    EXPECT_EQ(telegram->sentEvents().size(), 1u);
}

TEST_F(DeliveryManagerTest, StalledWebhookServerNeverHoldsBackTelegram) {
    enabled = {Kind::webhook};
    webhook->hold();  // the server reads the requests and does not answer
    auto held = enqueueAlerts(4);
    enabled = {Kind::telegram, Kind::webhook};
    auto alert = test::makeEvent();
    enqueue(alert);
    EXPECT_EQ(webhook->heldCount(), DeliveryManager::maximumSendsInFlight);
    ASSERT_EQ(telegram->sentEvents().size(), 1u);
    EXPECT_EQ(attempts(alert)[0].status, DeliveryAttemptStatus::sent);
    EXPECT_EQ(attempts(alert)[0].channel, Kind::telegram);

    webhook->release();
    queue.drain();
    EXPECT_EQ(webhook->sentEvents().size(), 5u);
    EXPECT_TRUE(manager->isQueueEmpty());
}

TEST_F(DeliveryManagerTest, RecordsClaimedBeforeTheirChannelWasSwitchedOffAreNotSent) {
    enabled = {Kind::webhook};
    webhook->hold();
    const auto cap = int(DeliveryManager::maximumSendsInFlight);
    auto alerts = enqueueAlerts(cap + 2);  // two claimed records wait for a free slot
    ASSERT_EQ(webhook->heldCount(), std::size_t(cap));
    enabled = {Kind::telegram};
    manager->channelsChanged();
    queue.drain();
    webhook->release();  // those in flight had already left
    queue.drain();
    EXPECT_EQ(webhook->sentEvents().size(), std::size_t(cap));
    int sent = 0, notConfigured = 0;
    for (const auto& alert : alerts) {
        auto list = attempts(alert);
        ASSERT_EQ(list.size(), 1u);
        sent += list[0].status == DeliveryAttemptStatus::sent;
        notConfigured += list[0].status == DeliveryAttemptStatus::failed &&
                         list[0].lastError == std::optional<std::string>("notConfigured");
    }
    EXPECT_EQ(sent, cap);
    EXPECT_EQ(notConfigured, 2);  // a retry from the timeline sends them once switched on
    EXPECT_TRUE(manager->isQueueEmpty());
}

TEST_F(DeliveryManagerTest, PathChangesAndWakesMakeChannelsForgetTheOldNetwork) {
    onQueue([&] { manager->observeWake(wakes); });
    const std::vector<std::pair<std::function<void()>, int>> steps = {
        {[&] { monitor.report(true); }, 1},
        {[&] { monitor.report(true); }, 1},  // the same path again
        {[&] { monitor.report(false); }, 2},
        {[&] { wakes.wake(); }, 3},
    };
    for (const auto& [step, expected] : steps) {
        step();
        queue.drain();
        EXPECT_EQ(telegram->networkChanges(), expected);
        EXPECT_EQ(webhook->networkChanges(), expected);
    }
}
