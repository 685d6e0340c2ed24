// Verifying a 1,000,000-line event log with its seals against verifying the
// chain alone, both streamed from the file as veyrune-verify does. Seals come
// every 10 lines (a busy machine) and after every line (the worst case), each
// with the digests of the entries it seals.

#include <benchmark/benchmark.h>

#include <map>
#include <utility>

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
    std::string digests;
    auto seal = [&](std::string lineHash) {
        Seal next;
        next.epoch = epoch;
        next.from = epochs.start(epoch);
        next.to = epochs.start(epoch + 1);
        next.sealedAt = next.to;
        next.seq = seq;
        next.lineHash = std::move(lineHash);
        next.prev = lines.empty() ? EventChain::genesis : Seal::parse(lines.back())->mac;
        next.digests = std::exchange(digests, {});
        lines.push_back(next.line(epochKey));
    };
    seal(EventChain::genesis);  // the first seal, when sealing began on an empty log
    streamLog([&](std::string_view line) {
        auto hash = EventChain::linkHash(line);
        digests += hash.substr(0, Seal::digestLength);
        if (++seq % linesPerEpoch != 0) {
            return;
        }
        seal(hash);
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
