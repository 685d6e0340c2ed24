// Forwarding throughput through the real RELP route with TLS into a local
// rsyslogd (imrelp, writing each message body to a file), on a log of 20,000
// sealed events: the sink alone in batches of the forwarder's size, and the
// whole forwarder from a fresh cursor to the end of the log (reads, framing,
// sends, cursor writes). rsyslogd and openssl must be installed.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "BenchLog.h"
#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "base/PosixFileSystem.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "forward/LogForwarder.h"
#include "forward/RELPLineSink.h"
#include "record/JSONLines.h"

using namespace veyrune;

namespace {

constexpr long kLines = 20000;
constexpr int kPort = 39514;

// One rsyslogd for the whole run, with a CA and a certificate for localhost.
struct Collector {
    Collector() {
        folder = std::filesystem::temp_directory_path() / "veyrune-bench-collector";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "work");
        auto in = "cd '" + folder.string() + "' && ";
        std::string quiet = " >/dev/null 2>&1";
        std::system((in + "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem " +
                     "-days 2 -subj '/CN=Bench CA'" + quiet + " && openssl req -newkey rsa:2048 " +
                     "-nodes -keyout server.key -out server.csr -subj '/CN=localhost'" + quiet +
                     " && echo subjectAltName=DNS:localhost > ext && openssl x509 -req -in " +
                     "server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem " +
                     "-days 2 -extfile ext" + quiet)
                        .c_str());
        auto path = [this](const char* name) { return (folder / name).string(); };
        std::ofstream(folder / "rsyslog.conf")
            << "global(workDirectory=\"" << path("work") << "\" maxMessageSize=\"64k\")\n"
            << "module(load=\"imrelp\" tls.tlslib=\"openssl\")\n"
            << "input(type=\"imrelp\" address=\"127.0.0.1\" port=\"" << kPort
            << "\" tls=\"on\" tls.caCert=\"" << path("ca.pem") << "\" tls.myCert=\""
            << path("server.pem") << "\" tls.myPrivKey=\"" << path("server.key") << "\")\n"
            << "template(name=\"body\" type=\"string\" string=\"%msg%\\n\")\n"
            << "*.* action(type=\"omfile\" file=\"" << path("received.log")
            << "\" template=\"body\")\n";
        pid = ::fork();
        if (pid == 0) {
            ::execlp("rsyslogd", "rsyslogd", "-n", "-f", path("rsyslog.conf").c_str(), "-i",
                     path("rsyslogd.pid").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    ~Collector() {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        std::filesystem::remove_all(folder);
    }
    RELPLineSink::Configuration configuration() const {
        return {
            {"localhost", std::to_string(kPort)}, (folder / "ca.pem").string(), "", "", "bench"};
    }

    std::filesystem::path folder;
    pid_t pid = -1;
};

Collector& collector() {
    static Collector instance;
    return instance;
}

const std::vector<std::string>& logLines() {
    static const auto lines = readJSONLines(PosixFileSystem::shared(), bench::sealedLog(kLines));
    return lines;
}

void BM_RELPSinkBatches(benchmark::State& state) {
    RELPLineSink sink(collector().configuration());
    std::vector<ForwardedLine> batch;
    for (std::size_t i = 0; i < LogForwarder::batchLines; ++i) {
        batch.push_back({ForwardedLog::events, logLines()[i]});
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(sink.send(batch));
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(batch.size()));
}
BENCHMARK(BM_RELPSinkBatches)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ForwarderWholeLog(benchmark::State& state) {
    auto log = bench::sealedLog(kLines);
    auto cursor = std::filesystem::temp_directory_path() / "veyrune-bench-forward.cursor";
    AsioTaskPool queuePool(2);
    AsioTaskPool blockingIO(2);
    AsioSerialQueue queue(queuePool.pool(), "Veyrune.Forwarding");
    WallClockDeliveryTimerScheduler timer(queuePool.pool());
    for (auto _ : state) {
        std::filesystem::remove(cursor);
        auto forwarder = LogForwarder::make({PosixFileSystem::shared(),
                                             {log, log.string() + ".seals", cursor},
                                             queue,
                                             blockingIO,
                                             timer,
                                             SystemClock::shared()});
        forwarder->setSink(std::make_shared<RELPLineSink>(collector().configuration()), "bench");
        // The pass chain ends when nothing waits: the count drops to 0 once
        // the last line is taken.
        while (forwarder->status().waitingLines != 0 || !forwarder->status().lastTakenAt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        forwarder->stop(std::chrono::steady_clock::now());
    }
    blockingIO.shutdown();
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ForwarderWholeLog)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
