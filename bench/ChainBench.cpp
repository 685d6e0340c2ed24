// Throughput of the event log's hot paths on a 100,000-line log: verifying the
// chain against the floor of hashing every line once, appending against
// reading the file once, and decoding every event.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>

#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "record/JSONLines.h"

using namespace veyrune;

namespace {

constexpr int kLines = 100000;

SecurityEvent sampleEvent(int i) {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = referenceDate() + std::chrono::seconds(800000000 + i);
    event.kind = SecurityEventKind::usbAttached;
    event.summary = "USB attached: Keyboard " + std::to_string(i);
    event.context.batteryPercent = 80;
    event.context.machineName = "Ada's desk";
    event.context.userName = "ada";
    event.context.wifiSSID = "home/net";
    return event;
}

// A sealed log of kLines lines, written once per process.
const std::filesystem::path& logFile() {
    static const std::filesystem::path path = [] {
        auto dir = std::filesystem::temp_directory_path() / "veyrune-bench";
        std::filesystem::create_directories(dir);
        auto file = dir / "security-events.jsonl";
        std::ofstream out(file, std::ios::trunc | std::ios::binary);
        std::vector<std::string> last;
        for (int i = 0; i < kLines; ++i) {
            auto header = EventChain::nextHeader(last);
            auto event = sampleEvent(i);
            event.seq = header.seq;
            event.prev = header.prev;
            std::string line = EventChain::canonicalLine(event);
            out << line << '\n';
            last = {line};
        }
        return file;
    }();
    return path;
}

const std::vector<std::string>& logLines() {
    static const auto lines = readJSONLines(PosixFileSystem::shared(), logFile());
    return lines;
}

std::int64_t totalBytes(const std::vector<std::string>& lines) {
    std::int64_t total = 0;
    for (const auto& line : lines) {
        total += std::int64_t(line.size()) + 1;
    }
    return total;
}

void BM_SHA256EveryLine(benchmark::State& state) {
    // The first use writes the log; keep that out of every measurement.
    const auto& lines = logLines();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    for (auto _ : state) {
        for (const auto& line : lines) {
            EVP_Digest(line.data(), line.size(), digest, &length, EVP_sha256(), nullptr);
        }
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(lines));
}
BENCHMARK(BM_SHA256EveryLine)->Unit(benchmark::kMillisecond);

void BM_VerifyChain(benchmark::State& state) {
    const auto& lines = logLines();
    for (auto _ : state) {
        benchmark::DoNotOptimize(EventChainVerifier::verify(lines));
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(lines));
}
BENCHMARK(BM_VerifyChain)->Unit(benchmark::kMillisecond);

void BM_ReadLogOnce(benchmark::State& state) {
    logFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PosixFileSystem::shared().readFile(logFile()));
    }
}
BENCHMARK(BM_ReadLogOnce)->Unit(benchmark::kMillisecond);

void BM_ReadLines(benchmark::State& state) {
    logFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readJSONLines(PosixFileSystem::shared(), logFile()));
    }
}
BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond);

void BM_AppendToLog(benchmark::State& state) {
    auto copy = logFile().parent_path() / "append.jsonl";
    std::filesystem::copy_file(logFile(), copy, std::filesystem::copy_options::overwrite_existing);
    JSONLFileSecurityEventStore store(copy, PosixFileSystem::shared());
    int i = 0;
    for (auto _ : state) {
        store.append(sampleEvent(i++));
    }
}
BENCHMARK(BM_AppendToLog)->Unit(benchmark::kMillisecond);

void BM_AllEvents(benchmark::State& state) {
    JSONLFileSecurityEventStore store(logFile(), PosixFileSystem::shared());
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.allEvents());
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(logLines()));
}
BENCHMARK(BM_AllEvents)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
