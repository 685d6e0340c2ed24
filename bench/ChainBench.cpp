// Throughput of the event log's hot paths on a 100,000-line log: verifying the
// chain (over lines in memory and streamed from the file) against the floor of
// hashing every line once, reading, appending at two log sizes, and decoding
// every event.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <filesystem>

#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "record/JSONLines.h"
#include "review/TimelineChainCheck.h"

#include "BenchLog.h"

using namespace veyrune;

namespace {

constexpr long kLines = 100000;

const std::filesystem::path& logFile() {
    static const std::filesystem::path path = bench::sealedLog(kLines);
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

void BM_VerifyFileStreaming(benchmark::State& state) {
    JSONLFileSecurityEventStore store(logFile(), PosixFileSystem::shared());
    for (auto _ : state) {
        benchmark::DoNotOptimize(TimelineChainCheck().check(store, TimelineLogDigest{}));
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(logLines()));
}
BENCHMARK(BM_VerifyFileStreaming)->Unit(benchmark::kMillisecond);

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

// Appending reads only the tail, so its cost does not grow with the log; the
// fsync of the appended line dominates.
void BM_AppendToLog(benchmark::State& state) {
    auto source = bench::sealedLog(state.range(0));
    auto copy = source.parent_path() / "append.jsonl";
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    JSONLFileSecurityEventStore store(copy, PosixFileSystem::shared());
    long i = 0;
    for (auto _ : state) {
        store.append(bench::sampleEvent(i++));
    }
    std::filesystem::remove(copy);
}
BENCHMARK(BM_AppendToLog)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

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
