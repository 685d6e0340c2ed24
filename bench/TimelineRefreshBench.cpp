// One full timeline refresh (load, filter, rows, chain check) of a 100,000-event
// log, next to the floor it cannot beat: reading the file once and hashing every line.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "review/ChainStatusProjection.h"
#include "review/EventTimelineRowModel.h"
#include "review/TimelineEventSet.h"

using namespace veyrune;

namespace {

constexpr int kEvents = 100000;

std::filesystem::path writeLog() {
    auto path = std::filesystem::temp_directory_path() /
                ("veyrune-bench-" + std::to_string(getpid()) + ".jsonl");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string prev = EventChain::genesis;
    Instant start = *parseISO8601("2026-01-01T00:00:00Z");
    for (int i = 0; i < kEvents; ++i) {
        SecurityEvent event;
        event.id = Uuid::random();
        event.kind = allSecurityEventKinds[std::size_t(i) % allSecurityEventKinds.size()];
        event.occurredAt = addSeconds(start, i * 60.0);
        event.summary = "Event number " + std::to_string(i);
        event.context.machineName = "Studio";
        event.context.batteryPercent = i % 100;
        event.seq = i + 1;
        event.prev = prev;
        std::string line = EventChain::canonicalLine(event);
        prev = EventChain::linkHash(line);
        out << line << '\n';
    }
    return path;
}

const std::filesystem::path& logPath() {
    static const std::filesystem::path path = writeLog();
    return path;
}

void ReadAndHashOnce(benchmark::State& state) {
    auto& files = PosixFileSystem::shared();
    for (auto _ : state) {
        std::string text = files.readFile(logPath());
        std::size_t start = 0, hashed = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            benchmark::DoNotOptimize(
                EventChain::linkHash(std::string_view(text).substr(start, end - start)));
            ++hashed;
            start = end + 1;
        }
        benchmark::DoNotOptimize(hashed);
    }
}

void FullRefresh(benchmark::State& state) {
    JSONLFileSecurityEventStore store(logPath(), PosixFileSystem::shared());
    TimestampFormatter formatter("en_US", "UTC");
    TimelineFilter filter;
    filter.dateRange = TimelineDateRange::last30();
    Instant now = *parseISO8601("2026-03-11T00:00:00Z");
    for (auto _ : state) {
        auto set = TimelineEventSet::load(store, filter, std::nullopt, now);
        std::vector<EventTimelineRowModel> rows;
        rows.reserve(set.displayed.size());
        for (const auto& event : set.displayed) {
            rows.push_back(EventTimelineRowModel::make(event, 0, {}, formatter));
        }
        auto status = ChainStatusProjection::make(EventChainVerifier::verify(store.readLines()));
        benchmark::DoNotOptimize(rows);
        benchmark::DoNotOptimize(status);
    }
    state.counters["rows"] =
        double(TimelineEventSet::load(store, filter, std::nullopt, now).displayed.size());
}

}  // namespace

BENCHMARK(ReadAndHashOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(FullRefresh)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove(logPath());
    return 0;
}
