// The file work of a timeline refresh on a 100,000-event log: the kept events
// (TimelineEventLog) and the chain check (TimelineChainCheck) read from
// scratch, with the log unchanged, and after one appended event (the events
// read only the new line, the chain is verified again from the first). Next to
// them the part of a refresh that is not file work: building the event set
// that the filter and the rows start from.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchLog.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "review/TimelineChainCheck.h"
#include "review/TimelineEventLog.h"
#include "review/TimelineEventSet.h"

using namespace veyrune;

namespace {

constexpr long kEvents = 100000;

// A private copy of the log that the benchmark may append to.
std::filesystem::path copyOfLog(const char* name) {
    auto source = bench::sealedLog(kEvents);
    auto copy = source.parent_path() / name;
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

void FirstRefresh(benchmark::State& state) {
    auto path = copyOfLog("first.jsonl");
    JSONLFileSecurityEventStore store(path, PosixFileSystem::shared());
    for (auto _ : state) {
        TimelineEventLog log;
        TimelineChainCheck chain;
        log.refresh(store);
        benchmark::DoNotOptimize(chain.check(store, log.keptLines()));
    }
    std::filesystem::remove(path);
}

void RefreshUnchanged(benchmark::State& state) {
    auto path = copyOfLog("unchanged.jsonl");
    JSONLFileSecurityEventStore store(path, PosixFileSystem::shared());
    TimelineEventLog log;
    TimelineChainCheck chain;
    log.refresh(store);
    chain.check(store, log.keptLines());
    for (auto _ : state) {
        benchmark::DoNotOptimize(log.refresh(store));
        benchmark::DoNotOptimize(chain.check(store, log.keptLines()));
    }
    std::filesystem::remove(path);
}

void RefreshAfterOneAppend(benchmark::State& state) {
    auto path = copyOfLog("appended.jsonl");
    JSONLFileSecurityEventStore store(path, PosixFileSystem::shared());
    TimelineEventLog log;
    TimelineChainCheck chain;
    log.refresh(store);
    chain.check(store, log.keptLines());
    long i = kEvents;
    for (auto _ : state) {
        state.PauseTiming();
        store.append(bench::sampleEvent(i++));
        state.ResumeTiming();
        benchmark::DoNotOptimize(log.refresh(store));
        benchmark::DoNotOptimize(chain.check(store, log.keptLines()));
    }
    state.counters["events"] = double(log.size());
    std::filesystem::remove(path);
}

// The chain check's share of the above: every line read and verified again.
void ChainCheckAfterOneAppend(benchmark::State& state) {
    auto path = copyOfLog("checked.jsonl");
    JSONLFileSecurityEventStore store(path, PosixFileSystem::shared());
    TimelineEventLog log;
    TimelineChainCheck chain;
    log.refresh(store);
    long i = kEvents;
    for (auto _ : state) {
        state.PauseTiming();
        store.append(bench::sampleEvent(i++));
        log.refresh(store);
        state.ResumeTiming();
        benchmark::DoNotOptimize(chain.check(store, log.keptLines()));
    }
    std::filesystem::remove(path);
}

void BuildEventSet(benchmark::State& state) {
    JSONLFileSecurityEventStore store(bench::sealedLog(kEvents), PosixFileSystem::shared());
    TimelineEventLog log;
    log.refresh(store);
    TimelineFilter filter;
    Instant now = referenceDate() + std::chrono::seconds(800000000 + kEvents * 60);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TimelineEventSet::make(
            log.newestFirst(), filter, std::nullopt, [&](const Uuid& id) { return log.find(id); },
            now));
    }
}

}  // namespace

BENCHMARK(FirstRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(RefreshUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(RefreshAfterOneAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(ChainCheckAfterOneAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildEventSet)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
