// Verifying a 1,000,000-line event log with its seals against verifying the
// chain alone, both streamed from the file as veyrune-verify does. Seals come
// every 10 lines (a busy machine) and after every line (the worst case).

#include <benchmark/benchmark.h>

#include <map>

#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "seal/SealEpochs.h"
#include "seal/SealedLogVerifier.h"

#include "BenchLog.h"

using namespace veyrune;

namespace {

constexpr long kLines = 1000000;

const std::filesystem::path& logFile() {
    static const std::filesystem::path path = bench::sealedLog(kLines);
    return path;
}

template <typename Add>
class LineSink final : public LogLineSink {
  public:
    explicit LineSink(Add add) : add_(add) {}
    void restart() override {}
    void line(std::string_view text) override { add_(text); }

  private:
    Add add_;
};

template <typename Add>
void streamLog(Add add) {
    JSONLFileSecurityEventStore store(logFile(), PosixFileSystem::shared());
    LineSink sink(add);
    store.readLinesAfter({}, sink);
}

VerificationKey benchKey() {
    VerificationKey key;
    key.seed.fill(7);
    key.firstEpoch = 1000;
    key.epochSeconds = 900;
    return key;
}

// Seals as the sealer writes them, one per epoch of `linesPerEpoch` lines.
const std::vector<std::string>& seals(long linesPerEpoch) {
    static std::map<long, std::vector<std::string>> made;
    auto& lines = made[linesPerEpoch];
    if (!lines.empty()) {
        return lines;
    }
    auto key = benchKey();
    SealEpochs epochs{key.epochSeconds};
    auto epochKey = key.seed;
    std::int64_t epoch = key.firstEpoch;
    std::int64_t seq = 0;
    streamLog([&](std::string_view line) {
        if (++seq % linesPerEpoch != 0) {
            return;
        }
        Seal seal;
        seal.epoch = epoch;
        seal.from = epochs.start(epoch);
        seal.to = epochs.start(epoch + 1);
        seal.sealedAt = seal.to;
        seal.seq = seq;
        seal.lineHash = EventChain::linkHash(line);
        seal.prev = lines.empty() ? EventChain::genesis : Seal::parse(lines.back())->mac;
        lines.push_back(seal.line(epochKey));
        epochKey = SealKey::evolve(epochKey);
        ++epoch;
    });
    return lines;
}

void BM_VerifyChainOnly(benchmark::State& state) {
    logFile();
    for (auto _ : state) {
        EventChainVerifier verifier;
        streamLog([&](std::string_view line) { verifier.add(line); });
        benchmark::DoNotOptimize(verifier.result());
    }
}
BENCHMARK(BM_VerifyChainOnly)->Unit(benchmark::kMillisecond);

void BM_VerifySealed(benchmark::State& state) {
    const auto& sealLines = seals(state.range(0));
    for (auto _ : state) {
        SealedLogVerifier verifier(benchKey(), sealLines);
        streamLog([&](std::string_view line) { verifier.add(line); });
        auto result = verifier.result();
        if (!std::holds_alternative<SealVerificationResult::Sealed>(result.value)) {
            state.SkipWithError("the seals did not verify");
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_VerifySealed)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
