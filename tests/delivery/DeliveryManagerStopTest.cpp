// Stopping at termination: sends to a server that never answers are cut short
// at once, and their records go out after the next start over the same SQLite
// outbox. Real libcurl, real threads.

#include <gtest/gtest.h>

#include <future>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "channels/CurlWebhookTransport.h"
#include "channels/WebhookChannel.h"
#include "delivery/DeliveryManager.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "outbox/SQLiteOutboxStore.h"
#include "support/EventFactory.h"
#include "support/LocalHTTPSServer.h"
#include "support/TempDirectory.h"
#include "support/WaitUntil.h"

using namespace veyrune;
using namespace std::chrono_literals;
using Kind = DeliveryChannelKind;

namespace {

// Far beyond any test: a send that is not cut would hold the pool this long.
constexpr auto kExchangeTimeout = 120s;
// Only tells a cut send from one that runs to the time-out.
constexpr auto kPatience = 20s;

// One run of the program's delivery: its own threads over the outbox file.
struct DeliveryRun {
    DeliveryRun(const std::filesystem::path& outboxFile, const test::LocalHTTPSServer& server)
        : outbox(outboxFile) {
        auto webhook = std::make_shared<WebhookChannel>(
            [] {
                return WebhookCredentials{"https://hooks.example.com/alerts", std::nullopt};
            },
            std::make_shared<CurlWebhookTransport>(server.clientOptions(kExchangeTimeout)),
            blockingIO);
        manager = DeliveryManager::create({outbox,
                                           queue,
                                           {{Kind::webhook, webhook}},
                                           [] { return std::set<Kind>{Kind::webhook}; },
                                           SystemClock::shared(),
                                           timer,
                                           blockingIO});
        manager->start(false);
    }
    ~DeliveryRun() {
        endSends();
        manager.reset();
        queuePool.shutdown();
    }

    // What the program's exit does after stopping; true when the blocking
    // pool let go within the patience. The queue still runs.
    bool endSends() {
        auto ended = std::async(std::launch::async, [this] { blockingIO.shutdown(); });
        bool inTime = ended.wait_for(kPatience) == std::future_status::ready;
        ended.wait();
        return inTime;
    }
    void enqueue(const SecurityEvent& event) {
        std::promise<DeliveryEnqueueOutcome> outcome;
        manager->enqueueWithOutcome(event, [&](auto given) { outcome.set_value(given); });
        ASSERT_EQ(outcome.get_future().get(), DeliveryEnqueueOutcome::queued);
    }
    DeliveryAttempt attempt(const SecurityEvent& event) {
        return manager->deliveryAttempts({event.id}).at(event.id).at(0);
    }

    AsioTaskPool queuePool{2};
    AsioTaskPool blockingIO{4};
    AsioSerialQueue queue{queuePool.pool(), DeliveryManager::queueLabel};
    WallClockDeliveryTimerScheduler timer{queuePool.pool()};
    SQLiteOutboxStore outbox;
    std::shared_ptr<DeliveryManager> manager;
};

class DeliveryManagerStopTest : public ::testing::Test {
  protected:
    test::TempDirectory dir;
    std::filesystem::path outboxFile = dir / "VeyruneModel.sqlite";
    SecurityEvent event = test::makeEvent();
};

}  // namespace

TEST_F(DeliveryManagerStopTest, SendCutShortStaysUnsentAndGoesOutAfterTheNextStart) {
    {
        test::LocalHTTPSServer silent;
        silent.neverAnswer();
        DeliveryRun run(outboxFile, silent);
        run.enqueue(event);
        ASSERT_TRUE(test::waitUntil([&] { return silent.requests().size() == 1; }));

        run.manager->stop(std::chrono::steady_clock::now());
        EXPECT_TRUE(run.endSends()) << "the send ran on instead of being cut short";
        // The cut send's result has reached the queue by now. Neither sent nor
        // failed nor an attempt counted: the record is still claimed.
        auto attempt = run.attempt(event);
        EXPECT_EQ(attempt.status, DeliveryAttemptStatus::pending);
        EXPECT_EQ(attempt.attempts, 0);
        EXPECT_FALSE(attempt.lastError);
    }
    test::LocalHTTPSServer answering;
    DeliveryRun next(outboxFile, answering);
    ASSERT_TRUE(
        test::waitUntil([&] { return next.attempt(event).status == DeliveryAttemptStatus::sent; }));
    EXPECT_EQ(next.attempt(event).attempts, 1);
    EXPECT_EQ(answering.requests().size(), 1u);
}

TEST_F(DeliveryManagerStopTest, SendsEndingWithinTheBudgetAreWaitedForNotCut) {
    test::LocalHTTPSServer slow;
    slow.delayReplies(300ms);
    DeliveryRun run(outboxFile, slow);
    std::vector<SecurityEvent> events{event, test::makeEvent(), test::makeEvent()};
    for (const auto& alert : events) {
        run.enqueue(alert);
    }
    // The last pass has been posted; stop lets it claim and send.
    run.manager->stop(std::chrono::steady_clock::now() + kPatience);
    for (const auto& alert : events) {
        EXPECT_EQ(run.attempt(alert).status, DeliveryAttemptStatus::sent);
    }
    EXPECT_EQ(slow.requests().size(), events.size());
}
