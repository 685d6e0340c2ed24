#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <thread>

#include "RsyslogCollector.h"
#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "base/PosixFileSystem.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "forward/LogForwarder.h"
#include "forward/RELPLineSink.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "support/EventFactory.h"
#include "support/TempDirectory.h"
#include "support/WaitUntil.h"

namespace veyrune {
namespace {

using test::RsyslogCollector;
using test::TempDirectory;

// The forwarder as the program runs it: its queue and timer on one pool, its
// passes on a blocking pool, the real files.
struct Route {
    Route(const TempDirectory& dir, RsyslogCollector& collector, std::string caFile = {},
          unsigned timeoutSeconds = 5,
          std::pair<std::filesystem::path, std::filesystem::path> clientCertificate = {})
        : forwarder(
              LogForwarder::make({PosixFileSystem::shared(),
                                  {dir / "security-events.jsonl", dir / "security-events.seals",
                                   dir / "forwarding" / "collector.cursor"},
                                  queue,
                                  blockingIO,
                                  timer,
                                  SystemClock::shared()})) {
        RELPLineSink::Configuration configuration{
            *CollectorAddress::parse(collector.address()),
            caFile.empty() ? collector.caFile().string() : caFile,
            clientCertificate.first.string(),
            clientCertificate.second.string(),
            "laptop",
            timeoutSeconds};
        forwarder->setSink(std::make_shared<RELPLineSink>(configuration), collector.address());
    }
    ~Route() {
        forwarder->stop(std::chrono::steady_clock::now() + std::chrono::seconds(2));
        // A pass in flight holds the forwarder; it ends before the queue and timer go.
        blockingIO.shutdown();
    }

    AsioTaskPool queuePool{2};
    AsioTaskPool blockingIO{2};
    AsioSerialQueue queue{queuePool.pool(), "Veyrune.Forwarding"};
    WallClockDeliveryTimerScheduler timer{queuePool.pool()};
    std::shared_ptr<LogForwarder> forwarder;
};

// Where the collector's copy first differs from the log, for failure messages.
std::string firstDifference(const std::vector<std::string>& received,
                            const std::vector<std::string>& log) {
    std::size_t i = 0;
    while (i < received.size() && i < log.size() && received[i] == log[i]) {
        ++i;
    }
    return "received " + std::to_string(received.size()) + " lines, log " +
           std::to_string(log.size()) + ", first difference at " + std::to_string(i) + ": " +
           (i < received.size() ? received[i].substr(0, 200) : "-");
}

bool waitForCount(const RsyslogCollector& collector, std::size_t count) {
    return test::waitUntil(
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return collector.received().size() >= count;
        },
        std::chrono::seconds(60));
}

void record(JSONLFileSecurityEventStore& store, LogForwarder& forwarder, int count) {
    for (int i = 0; i < count; ++i) {
        store.append(test::makeEvent());
        forwarder.poke();
    }
}

// Runs the built veyrune-verify on `file`; its output line and exit status.
std::pair<std::string, int> verifyTool(const std::filesystem::path& file) {
    const char* dir = std::getenv("VEYRUNE_BINARY_DIR");
    auto command = std::string(dir ? dir : ".") + "/tools/veyrune-verify '" + file.string() + "'";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) {
        output += buffer;
    }
    int status = pipe ? ::pclose(pipe) : -1;
    return {output, status};
}

TEST(CollectorRoute, BurstAndOutageArriveInOrderOnceAndVerifyAtTheCollector) {
    TempDirectory dir;
    RsyslogCollector collector(dir / "collector");
    collector.start();
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    {
        Route route(dir, collector);
        record(store, *route.forwarder, 10000);
        ASSERT_TRUE(waitForCount(collector, 10000))
            << collector.received().size() << " " << route.forwarder->status().error;
        EXPECT_TRUE(collector.received() == store.readLines())
            << firstDifference(collector.received(), store.readLines());
        auto [verdict, status] = verifyTool(collector.receivedFile());
        EXPECT_EQ(status, 0) << verdict;
        EXPECT_NE(verdict.find("10000 entries"), std::string::npos) << verdict;
        EXPECT_EQ(route.forwarder->status().state, ForwardingStatus::State::connected);

        // The collector goes away; events keep coming; Veyrune is restarted.
        collector.stop();
        record(store, *route.forwarder, 1000);
        ASSERT_TRUE(test::waitUntil(
            [&] { return route.forwarder->status().state == ForwardingStatus::State::failing; }));
    }
    Route restarted(dir, collector);
    ASSERT_TRUE(test::waitUntil([&] {
        auto status = restarted.forwarder->status();
        return status.state == ForwardingStatus::State::failing && status.waitingLines == 1000;
    })) << restarted.forwarder->status().waitingLines;
    collector.start();
    restarted.forwarder->retryNow();
    ASSERT_TRUE(waitForCount(collector, 11000)) << collector.received().size();
    EXPECT_EQ(collector.received(), store.readLines());
    EXPECT_EQ(verifyTool(collector.receivedFile()).second, 0);
    ASSERT_TRUE(test::waitUntil([&] { return restarted.forwarder->status().waitingLines == 0; }));
}

TEST(CollectorRoute, ACollectorWhoseCertificateNamesAnotherHostIsRefused) {
    TempDirectory dir;
    RsyslogCollector collector(dir / "collector", "elsewhere.example");
    collector.start();
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    Route route(dir, collector);
    record(store, *route.forwarder, 3);
    ASSERT_TRUE(test::waitUntil([&] {
        auto status = route.forwarder->status();
        return status.state == ForwardingStatus::State::failing && status.waitingLines == 3;
    })) << route.forwarder->status().waitingLines;
    auto status = route.forwarder->status();
    EXPECT_TRUE(status.error.starts_with("certificate refused")) << status.error << "\n"
                                                                 << collector.log();
    collector.stop();
    EXPECT_TRUE(collector.received().empty());
}

TEST(CollectorRoute, ACertificateFromAnUntrustedAuthorityIsRefused) {
    TempDirectory dir;
    RsyslogCollector collector(dir / "collector");
    RsyslogCollector stranger(dir / "stranger");  // its own CA, never trusted
    collector.start();
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    Route route(dir, collector, stranger.caFile());
    record(store, *route.forwarder, 1);
    ASSERT_TRUE(test::waitUntil(
        [&] { return route.forwarder->status().state == ForwardingStatus::State::failing; }));
    EXPECT_FALSE(route.forwarder->status().error.empty());
    collector.stop();
    EXPECT_TRUE(collector.received().empty());
}

TEST(CollectorRoute, ACollectorAskingForAClientCertificateTakesOnlyTheNamedOne) {
    TempDirectory dir;
    RsyslogCollector collector(dir / "collector");
    collector.requireClientCertificate("laptop.example");
    auto laptop = collector.makeClientCertificate("laptop.example");
    auto other = collector.makeClientCertificate("other.example");
    collector.start();
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    store.append(test::makeEvent());
    for (const auto& refused : {std::pair<std::filesystem::path, std::filesystem::path>{}, other}) {
        Route route(dir, collector, {}, 5, refused);
        ASSERT_TRUE(test::waitUntil(
            [&] { return route.forwarder->status().state == ForwardingStatus::State::failing; }));
        EXPECT_NE(route.forwarder->status().error.find("certificate"), std::string::npos)
            << refused.first << ": " << route.forwarder->status().error << "\n"
            << collector.log();
    }
    EXPECT_TRUE(collector.received().empty());
    Route route(dir, collector, {}, 5, laptop);
    ASSERT_TRUE(waitForCount(collector, 1)) << route.forwarder->status().error;
    EXPECT_EQ(collector.received(), store.readLines());
}

TEST(CollectorRoute, StoppingCutsASessionWithAStalledCollectorShort) {
    TempDirectory dir;
    RsyslogCollector collector(dir / "collector");
    collector.start();
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    store.append(test::makeEvent());
    collector.pause();
    {
        // With an hour to wait for an answer, only the cut can end the session.
        Route route(dir, collector, {}, 3600);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(route.forwarder->status().state, ForwardingStatus::State::connecting);
    }  // stop() cancels, and the blocking pool's threads end
    collector.resume();
    Route restarted(dir, collector);
    ASSERT_TRUE(waitForCount(collector, 1));
    EXPECT_EQ(collector.received(), store.readLines());
}

TEST(CollectorRoute, StoppingCutsARELPSessionWhoseCollectorStalledMidBatch) {
    TempDirectory dir;
    RsyslogCollector collector(dir / "collector");
    collector.start();
    JSONLFileSecurityEventStore store(dir / "security-events.jsonl", PosixFileSystem::shared());
    for (int i = 0; i < 3000; ++i) {
        store.append(test::makeEvent());
    }
    {
        Route route(dir, collector, {}, 3600);
        route.forwarder->poke();
        ASSERT_TRUE(waitForCount(collector, 1));
        collector.pause();  // sessions are under way: the next waits on the collector
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    collector.resume();
    Route restarted(dir, collector);
    ASSERT_TRUE(waitForCount(collector, 3000));
    auto received = collector.received();
    auto lines = store.readLines();
    // Repeats only of a batch whose answers the cut lost, never a gap.
    std::set<std::string> unique(received.begin(), received.end());
    EXPECT_EQ(unique, std::set<std::string>(lines.begin(), lines.end()));
}

}  // namespace
}  // namespace veyrune
