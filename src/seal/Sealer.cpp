#include "seal/Sealer.h"

#include <exception>
#include <limits>

#include "record/EventChain.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

namespace {

std::int64_t after(std::int64_t seq) {
    return seq == std::numeric_limits<std::int64_t>::max() ? seq : seq + 1;
}

}  // namespace

// Keeps the last chained line of what it is given, and the digests of the
// unbroken run of entries after `sealedSeq` that ends with it.
class Sealer::TailSink final : public LogLineSink {
  public:
    TailSink(Tail& tail, std::int64_t sealedSeq) : tail_(tail), sealedSeq_(sealedSeq) {}
    void restart() override { tail_ = Tail{0, EventChain::genesis, 1, {}}; }
    void line(std::string_view text) override {
        auto fields = decoder_.chainFields(text);
        if (!fields || !fields->seq || !fields->prev) {
            return;
        }
        std::int64_t seq = *fields->seq;
        tail_.seq = seq;
        tail_.hash = EventChain::linkHash(text);
        auto held = static_cast<std::int64_t>(tail_.digests.size() / Seal::digestLength);
        if (seq <= sealedSeq_ || seq != tail_.digestsFrom + held) {
            // Sealed already, or the chain restarted: a new run begins.
            tail_.digests.clear();
            tail_.digestsFrom = seq <= sealedSeq_ ? after(seq) : seq;
        }
        if (seq > sealedSeq_) {
            tail_.digests.append(tail_.hash, 0, Seal::digestLength);
        }
    }

  private:
    Tail& tail_;
    std::int64_t sealedSeq_;
    SecurityEventDecoder decoder_;
};

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
    moveSealsAside(epoch);
    readSeals_ = true;
    lastSeal_.reset();
    logTail();
    SealKeyFile::State state{epoch, epochSeconds, seed};
    // The first seal, before the key is stored: what the log holds now is
    // sealed at once, and a key that was never stored has sealed nothing.
    writeSeal(state, false);
    try {
        keyFile_.store(state);
    } catch (...) {
        // A seal whose key is gone can never be continued; best effort, the
        // store's failure is what the caller learns.
        lastSeal_.reset();
        try {
            files_->removeRegularFile(sealsFile_);
        } catch (const Error&) {
        }
        throw;
    }
    return {seed, epoch, epochSeconds};
}

void Sealer::moveSealsAside(std::int64_t epoch) {
    // Seals of an earlier key would not verify under the new one; they are
    // kept aside for that key rather than dropped.
    if (!files_->status(sealsFile_)) {
        return;
    }
    auto name = [&](int attempt) {
        auto aside = sealsFile_;
        aside += ".before-" + std::to_string(epoch);
        if (attempt > 1) {
            aside += "-" + std::to_string(attempt);
        }
        return aside;
    };
    int attempt = 1;
    while (files_->status(name(attempt))) {
        ++attempt;
    }
    files_->writeAtomically(name(attempt), files_->readFile(sealsFile_));
    files_->removeRegularFile(sealsFile_);
}

bool Sealer::isSealing() const {
    return keyFile_.load().has_value();
}

void Sealer::end() {
    std::exception_ptr failed;
    try {
        close();
    } catch (const Error&) {
        failed = std::current_exception();
    }
    keyFile_.remove();
    if (failed) {
        std::rethrow_exception(failed);
    }
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
    logTail();
    bool gap = current > state->epoch + 1;
    if (!lastSealCovers(state->epoch, gap)) {
        writeSeal(*state, gap);
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
    logTail();
    if (!lastSealCovers(state->epoch, true)) {
        writeSeal(*state, true);
    }
}

std::optional<Instant> Sealer::nextTick() const {
    auto state = keyFile_.load();
    if (!state) {
        return std::nullopt;
    }
    return SealEpochs{state->epochSeconds}.start(state->epoch + 1);
}

const Sealer::Tail& Sealer::logTail() {
    // Before the first seal nothing needs a digest: that seal holds none.
    const auto& last = lastSeal();
    TailSink sink(tail_, last ? last->seq : std::numeric_limits<std::int64_t>::max());
    logPosition_ = log_->readLinesAfter(logPosition_, sink).position;
    return tail_;
}

const std::optional<Seal>& Sealer::lastSeal() {
    if (!readSeals_) {
        readSeals_ = true;
        if (files_->status(sealsFile_)) {
            // A seal cut short by a power cut is skipped, as the verifier skips it.
            auto text = files_->readFile(sealsFile_);
            std::size_t end = text.size();
            while (end > 0 && !lastSeal_) {
                auto start = text.rfind('\n', end - 1);
                start = start == std::string::npos ? 0 : start + 1;
                lastSeal_ = Seal::parse(std::string_view(text).substr(start, end - start));
                end = start == 0 ? 0 : start - 1;
            }
        }
    }
    return lastSeal_;
}

bool Sealer::lastSealCovers(std::int64_t epoch, bool needClosing) {
    const auto& seal = lastSeal();
    return seal && seal->epoch == epoch && seal->seq == tail_.seq && seal->lineHash == tail_.hash &&
           (seal->closing || !needClosing);
}

void Sealer::writeSeal(const SealKeyFile::State& state, bool closing) {
    SealEpochs epochs{state.epochSeconds};
    Seal seal;
    seal.epoch = state.epoch;
    seal.from = epochs.start(state.epoch);
    seal.to = epochs.start(state.epoch + 1);
    seal.sealedAt = clock_->now();
    seal.seq = tail_.seq;
    seal.lineHash = tail_.hash;
    seal.closing = closing;
    seal.prev = EventChain::genesis;
    if (const auto& last = lastSeal()) {
        seal.prev = last->mac;
        // The run held ends at the tail; without every entry after the seal
        // before (a restarted chain), the seal holds no digests.
        if (tail_.seq > last->seq && tail_.digestsFrom <= after(last->seq)) {
            auto skip = static_cast<std::size_t>(after(last->seq) - tail_.digestsFrom);
            seal.digests = tail_.digests.substr(skip * Seal::digestLength);
        }
    }
    auto line = seal.line(state.key);
    if (!files_->status(sealsFile_)) {
        files_->writeAtomically(sealsFile_, line + "\n");
    } else {
        // A write cut short is ended first, so this seal stays a line of its own.
        auto lastByte = files_->lastByte(sealsFile_);
        files_->append(sealsFile_, (lastByte && *lastByte != '\n' ? "\n" : "") + line + "\n");
    }
    lastSeal_ = Seal::parse(line);
    tail_.digests.clear();
    tail_.digestsFrom = after(tail_.seq);
}

}  // namespace veyrune
