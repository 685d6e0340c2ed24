// The process the outbox kill harness kills: the real delivery manager on the
// real SQLite outbox and the webhook channel over libcurl, as the application
// runs them. It enqueues the alerts named on its command line, says "enqueued",
// delivers until the outbox holds nothing pending, says "done" and exits.
//
//   OutboxKillChild DATABASE HOST:PORT CA_FILE RUN [ALERT...]
//
// Every request carries "Authorization: run RUN", so the server can tell which
// run sent it.

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "channels/CurlWebhookTransport.h"
#include "channels/WebhookChannel.h"
#include "delivery/DeliveryManager.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "outbox/SQLiteOutboxStore.h"

using namespace veyrune;

namespace {

SecurityEvent alert(const std::string& name) {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = SystemClock::shared().now();
    event.kind = SecurityEventKind::usbAttached;
    event.summary = name;
    return event;
}

void say(const char* word) {
    std::printf("%s\n", word);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s DATABASE HOST:PORT CA_FILE RUN [ALERT...]\n", argv[0]);
        return 2;
    }
    SQLiteOutboxStore store{std::filesystem::path(argv[1])};
    AsioTaskPool pool(4);
    AsioSerialQueue queue(pool.pool(), DeliveryManager::queueLabel);
    WallClockDeliveryTimerScheduler timer(pool.pool());
    CurlHTTPClient::Options options{argv[3], std::chrono::seconds(20), argv[2]};
    WebhookCredentials credentials{"https://hooks.example.com/alerts",
                                   std::string("run ") + argv[4]};
    auto webhook =
        std::make_shared<WebhookChannel>([credentials] { return credentials; },
                                         std::make_shared<CurlWebhookTransport>(options), pool);
    auto manager = DeliveryManager::create({store,
                                            queue,
                                            {{DeliveryChannelKind::webhook, webhook}},
                                            [] { return std::set{DeliveryChannelKind::webhook}; },
                                            SystemClock::shared(),
                                            timer,
                                            pool});
    manager->start(false);

    std::vector<std::future<void>> enqueued;
    for (int i = 5; i < argc; ++i) {
        auto done = std::make_shared<std::promise<void>>();
        enqueued.push_back(done->get_future());
        manager->enqueueWithOutcome(alert(argv[i]), [done](auto) { done->set_value(); });
    }
    for (auto& each : enqueued) {
        each.wait();
    }
    say("enqueued");
    while (manager->queueSummary().pendingCount > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    say("done");
    manager.reset();
    pool.shutdown();
    return 0;
}
