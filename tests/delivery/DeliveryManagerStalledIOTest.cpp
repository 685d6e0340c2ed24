#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <thread>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "channels/CurlWebhookTransport.h"
#include "channels/WebhookChannel.h"
#include "delivery/AlertDispatcher.h"
#include "delivery/DeliveryManager.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "outbox/SQLiteOutboxStore.h"
#include "support/EventFactory.h"
#include "support/LocalHTTPSServer.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using namespace std::chrono_literals;
using Kind = DeliveryChannelKind;

namespace {

// The hops must answer within 100 ms; the slack keeps the test steady on a
// loaded machine. A starved queue would answer only when a send times out.
constexpr auto kPromptly = 1000ms;
constexpr auto kSendTimeout = 8s;

// A keyring that hangs until the test lets it answer.
class StalledKeyring {
  public:
    std::optional<WebhookCredentials> read() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return answering_; });
        return WebhookCredentials{"https://hooks.example.com/alerts", std::nullopt};
    }
    void answer() {
        std::lock_guard lock(mutex_);
        answering_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool answering_ = false;  // guarded by mutex_
};

// The application's arrangement: the serial queues are strands on a small
// pool, sends and keyring reads run on a pool of their own.
class DeliveryManagerStalledIOTest : public ::testing::Test {
  protected:
    AsioTaskPool queuePool{2};
    AsioTaskPool blockingIO{8};
    AsioSerialQueue deliveryQueue{queuePool.pool(), DeliveryManager::queueLabel};
    AsioSerialQueue dispatcherQueue{queuePool.pool(), AlertDispatcher::queueLabel};
    AsioSerialQueue cameraQueue{queuePool.pool(), "Veyrune.CameraCapturer"};
    test::TempDirectory dir;
    SQLiteOutboxStore outbox{dir / "VeyruneModel.sqlite"};
    WallClockDeliveryTimerScheduler timer{queuePool.pool()};
    StalledKeyring keyring;
    // Destroyed before the pools, so that held sends end at once.
    std::unique_ptr<test::LocalHTTPSServer> server = std::make_unique<test::LocalHTTPSServer>();
    std::shared_ptr<DeliveryManager> manager;
    std::vector<std::future<void>> hops;  // joined before anything else goes

    void SetUp() override {
        server->neverAnswer();
        auto webhook = std::make_shared<WebhookChannel>(
            [this] { return keyring.read(); },
            std::make_shared<CurlWebhookTransport>(server->clientOptions(kSendTimeout)),
            blockingIO);
        manager = DeliveryManager::create({outbox,
                                           deliveryQueue,
                                           {{Kind::webhook, webhook}},
                                           [] { return std::set<Kind>{Kind::webhook}; },
                                           SystemClock::shared(),
                                           timer,
                                           blockingIO});
        manager->start(false);
    }
    void TearDown() override {
        keyring.answer();
        server.reset();
        hops.clear();
        manager.reset();
        // A pool thread may still hold the manager for a moment; work left
        // behind holds it only weakly.
        blockingIO.shutdown();
        queuePool.shutdown();
    }

    // Runs `hop` on a thread of its own; true when it returned in time.
    bool answersPromptly(const std::function<void()>& hop) {
        hops.push_back(std::async(std::launch::async, hop));
        return hops.back().wait_for(kPromptly) == std::future_status::ready;
    }
    void expectEveryQueueAnswers(const char* phase) {
        EXPECT_TRUE(answersPromptly([&] { manager->queueSummary(); })) << phase;
        EXPECT_TRUE(answersPromptly([&] { manager->deliveryAttempts({Uuid::random()}); })) << phase;
        EXPECT_TRUE(answersPromptly([&] { runSync(dispatcherQueue, [] {}); })) << phase;
        EXPECT_TRUE(answersPromptly([&] { runSync(cameraQueue, [] {}); })) << phase;
    }
};

}  // namespace

TEST_F(DeliveryManagerStalledIOTest, StalledKeyringAndServerNeverStopTheQueues) {
    for (int i = 0; i < 10; ++i) {
        manager->enqueueWithOutcome(test::makeEvent());
    }
    std::this_thread::sleep_for(100ms);  // every configuration check is now stuck
    expectEveryQueueAnswers("keyring stalled");

    keyring.answer();
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (server->requests().size() < DeliveryManager::maximumSendsInFlight &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    expectEveryQueueAnswers("server stalled");

    // Ten records are due, but no more sends than the cap are ever started.
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(server->requests().size(), DeliveryManager::maximumSendsInFlight);
    EXPECT_EQ(manager->queueSummary().pendingCount, 10);
}
