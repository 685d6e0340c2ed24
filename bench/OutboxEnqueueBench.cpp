// What the outbox costs one alert on the real disk: the enqueue, the status
// changes of one send (claim, mark sent), and, beneath them, one small commit
// under each synchronous setting of a WAL database.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "base/Clock.h"
#include "outbox/SQLiteDatabase.h"
#include "outbox/SQLiteOutboxStore.h"

using namespace veyrune;

namespace {

// A fresh folder under the temporary folder (on the disk, not in memory),
// removed at the end of the benchmark.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / "veyrune-bench" /
                (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& file) const { return path_ / file; }

  private:
    std::filesystem::path path_;
};

const std::string kPayload(300, 'a');

void BM_OutboxEnqueue(benchmark::State& state) {
    ScratchFolder folder("outbox-enqueue");
    SQLiteOutboxStore store(folder / "VeyruneModel.sqlite");
    auto event = Uuid::random();
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.enqueue(event, DeliveryChannelKind::webhook, kPayload,
                                               SystemClock::shared().now()));
    }
}
BENCHMARK(BM_OutboxEnqueue)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Claim and mark sent: the status changes one successful send writes.
void BM_OutboxClaimAndMarkSent(benchmark::State& state) {
    ScratchFolder folder("outbox-send");
    SQLiteOutboxStore store(folder / "VeyruneModel.sqlite");
    auto event = Uuid::random();
    for (auto _ : state) {
        state.PauseTiming();
        auto now = SystemClock::shared().now();
        auto record = store.enqueue(event, DeliveryChannelKind::webhook, kPayload, now);
        state.ResumeTiming();
        store.claimDueRecords(now);
        store.markSent(record.id);
    }
}
BENCHMARK(BM_OutboxClaimAndMarkSent)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One row committed in a WAL database; argument 1 is synchronous=NORMAL, 2 FULL.
void BM_WALCommit(benchmark::State& state) {
    ScratchFolder folder("wal-commit");
    SQLiteDatabase db((folder / "commit.sqlite").string());
    db.prepare("PRAGMA journal_mode = WAL").run();
    db.execute("PRAGMA synchronous = " + std::to_string(state.range(0)));
    db.execute("CREATE TABLE t (payload BLOB)");
    for (auto _ : state) {
        db.transaction([&] { db.prepare("INSERT INTO t VALUES (?)").bindBlob(1, kPayload).run(); });
    }
    state.SetLabel(state.range(0) == 2 ? "FULL" : "NORMAL");
}
BENCHMARK(BM_WALCommit)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
