#include "seal/Sealer.h"

#include "record/EventChain.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

namespace {

// Keeps the last chained line of what it is given.
class TailSink final : public LogLineSink {
  public:
    TailSink(std::int64_t& seq, std::string& hash) : seq_(seq), hash_(hash) {}
    void restart() override {
        seq_ = 0;
        hash_ = EventChain::genesis;
    }
    void line(std::string_view text) override {
        auto fields = decoder_.chainFields(text);
        if (fields && fields->seq && fields->prev) {
            seq_ = *fields->seq;
            hash_ = EventChain::linkHash(text);
        }
    }

  private:
    std::int64_t& seq_;
    std::string& hash_;
    SecurityEventDecoder decoder_;
};

}  // namespace

Sealer::Sealer(Clock& clock, FileSystem& files, SecurityEventStore& log,
               std::filesystem::path keyFile, std::filesystem::path sealsFile)
    : clock_(&clock),
      files_(&files),
      log_(&log),
      keyFile_(std::move(keyFile), files),
      sealsFile_(std::move(sealsFile)) {
    tail_.hash = EventChain::genesis;
}

VerificationKey Sealer::begin(std::int64_t epochSeconds) {
    return begin(SealKey::randomSeed(), epochSeconds);
}

VerificationKey Sealer::begin(const SealKey::Bytes& seed, std::int64_t epochSeconds) {
    SealEpochs epochs{epochSeconds};
    std::int64_t epoch = epochs.epochOf(clock_->now());
    // Seals of an earlier key would not verify under the new one; they are
    // kept aside for that key rather than dropped.
    if (files_->status(sealsFile_)) {
        auto aside = sealsFile_;
        aside += ".before-" + std::to_string(epoch);
        files_->writeAtomically(aside, files_->readFile(sealsFile_));
        files_->removeRegularFile(sealsFile_);
    }
    readSeals_ = true;
    lastSealLine_.reset();
    keyFile_.store({epoch, epochSeconds, seed});
    return {seed, epoch, epochSeconds};
}

bool Sealer::isSealing() const {
    return keyFile_.load().has_value();
}

void Sealer::end() {
    keyFile_.remove();
}

void Sealer::tick() {
    auto state = keyFile_.load();
    if (!state) {
        return;
    }
    std::int64_t current = SealEpochs{state->epochSeconds}.epochOf(clock_->now());
    if (current <= state->epoch) {
        return;  // the epoch runs on, or the clock went back: the key cannot
    }
    auto tail = logTail();
    bool gap = current > state->epoch + 1;
    if (!lastSealCovers(state->epoch, tail, gap)) {
        writeSeal(*state, gap, tail);
    }
    state->key = SealKey::advance(state->key, current - state->epoch);
    state->epoch = current;
    keyFile_.store(*state);
}

void Sealer::close() {
    tick();
    auto state = keyFile_.load();
    if (!state) {
        return;
    }
    auto tail = logTail();
    if (!lastSealCovers(state->epoch, tail, true)) {
        writeSeal(*state, true, tail);
    }
}

std::optional<Instant> Sealer::nextTick() const {
    auto state = keyFile_.load();
    if (!state) {
        return std::nullopt;
    }
    return SealEpochs{state->epochSeconds}.start(state->epoch + 1);
}

Sealer::Tail Sealer::logTail() {
    TailSink sink(tail_.seq, tail_.hash);
    logPosition_ = log_->readLinesAfter(logPosition_, sink).position;
    return tail_;
}

const std::optional<std::string>& Sealer::lastSealLine() {
    if (!readSeals_) {
        readSeals_ = true;
        if (files_->status(sealsFile_)) {
            // A seal cut short by a power cut is skipped, as the verifier skips it.
            auto text = files_->readFile(sealsFile_);
            std::size_t end = text.size();
            while (end > 0 && !lastSealLine_) {
                auto start = text.rfind('\n', end - 1);
                start = start == std::string::npos ? 0 : start + 1;
                auto line = text.substr(start, end - start);
                if (Seal::parse(line)) {
                    lastSealLine_ = line;
                }
                end = start == 0 ? 0 : start - 1;
            }
        }
    }
    return lastSealLine_;
}

bool Sealer::lastSealCovers(std::int64_t epoch, const Tail& tail, bool needClosing) {
    const auto& line = lastSealLine();
    auto seal = line ? Seal::parse(*line) : std::nullopt;
    return seal && seal->epoch == epoch && seal->seq == tail.seq && seal->lineHash == tail.hash &&
           (seal->closing || !needClosing);
}

void Sealer::writeSeal(const SealKeyFile::State& state, bool closing, const Tail& tail) {
    SealEpochs epochs{state.epochSeconds};
    Seal seal;
    seal.epoch = state.epoch;
    seal.from = epochs.start(state.epoch);
    seal.to = epochs.start(state.epoch + 1);
    seal.sealedAt = clock_->now();
    seal.seq = tail.seq;
    seal.lineHash = tail.hash;
    const auto& last = lastSealLine();
    seal.prev = last ? Seal::parse(*last)->mac : EventChain::genesis;
    seal.closing = closing;
    auto line = seal.line(state.key);
    if (!files_->status(sealsFile_)) {
        files_->writeAtomically(sealsFile_, line + "\n");
    } else {
        // A write cut short is ended first, so this seal stays a line of its own.
        auto lastByte = files_->lastByte(sealsFile_);
        files_->append(sealsFile_, (lastByte && *lastByte != '\n' ? "\n" : "") + line + "\n");
    }
    lastSealLine_ = line;
}

}  // namespace veyrune
