#include "seal/SealedLogVerifier.h"

#include <algorithm>

#include "record/EventChain.h"
#include "seal/SealEpochs.h"

namespace veyrune {

namespace {

using Failed = SealVerificationResult::Failed;
using Failure = SealVerificationResult::Failure;

// More epochs than this between two seals is not a log Veyrune wrote, and
// deriving that far would stall the check.
constexpr std::int64_t kMaxEpochStep = 50'000'000;

}  // namespace

SealedLogVerifier::SealedLogVerifier(const VerificationKey& key,
                                     const std::vector<std::string>& sealLines) {
    checkSeals(key, sealLines);
}

void SealedLogVerifier::checkSeals(const VerificationKey& key,
                                   const std::vector<std::string>& lines) {
    SealEpochs epochs{key.epochSeconds};
    // The key moves only forward, so a seal is never checked under a later key.
    std::int64_t keyEpoch = key.firstEpoch;
    SealKey::Bytes epochKey = key.seed;
    std::int64_t number = 0;
    for (const auto& line : lines) {
        if (line.empty()) {
            continue;
        }
        ++number;
        auto seal = Seal::parse(line);
        if (!seal) {
            // A write cut short. Dropping a seal shows in the epochs or the
            // seals' chain after it, so a skipped line hides nothing.
            continue;
        }
        Failed at{Failure::noSeals, number, seal->epoch};
        std::int64_t expectedNext = lastSeal_ ? lastSeal_->epoch + 1 : key.firstEpoch;
        if (seal->epoch < key.firstEpoch || (lastSeal_ && seal->epoch < lastSeal_->epoch) ||
            seal->epoch - keyEpoch > kMaxEpochStep) {
            at.failure = Failure::epochOutOfOrder;
            return fail(at);
        }
        if (seal->epoch > expectedNext && !(lastSeal_ && lastSeal_->closing)) {
            at.failure = Failure::missingEpochs;
            at.firstMissing = expectedNext;
            at.lastMissing = seal->epoch - 1;
            return fail(at);
        }
        epochKey = SealKey::advance(epochKey, seal->epoch - keyEpoch);
        keyEpoch = seal->epoch;
        if (SealKey::mac(epochKey, Seal::macCovered(line)) != seal->mac) {
            at.failure = Failure::badMAC;
            return fail(at);
        }
        if (seal->prev != (lastSeal_ ? lastSeal_->mac : EventChain::genesis)) {
            at.failure = Failure::sealChainBroken;
            return fail(at);
        }
        if (seal->from != epochs.start(seal->epoch) || seal->to != epochs.start(seal->epoch + 1)) {
            at.failure = Failure::wrongSpan;
            return fail(at);
        }
        if (seal->seq > 0) {
            Expected sealed{seal->seq, {}, seal->epoch};
            std::copy(seal->lineHash.begin(), seal->lineHash.end(), sealed.hash.begin());
            if (!expected_.empty() && seal->seq < expected_.back().seq) {
                // A later seal over fewer entries: the ones between were removed.
                at.failure = Failure::entriesMissing;
                at.fromSeq = seal->seq + 1;
                at.toSeq = expected_.back().seq;
                return fail(at);
            }
            if (!expected_.empty() && seal->seq == expected_.back().seq) {
                if (expected_.back().hash != sealed.hash) {
                    at.failure = Failure::entryChanged;
                    at.fromSeq = at.toSeq = seal->seq;
                    return fail(at);
                }
            } else {
                // The seal before is over the entries up to `after`; a seal
                // of a restarted chain holds no digests.
                sealed.after = lastSeal_ ? lastSeal_->seq : 0;
                auto count = static_cast<std::size_t>(seal->seq - sealed.after);
                if (lastSeal_ && seal->digests.size() == count * Seal::digestLength) {
                    sealed.digestsAt = digests_.size();
                    digests_ += seal->digests;
                }
                expected_.push_back(sealed);
            }
        }
        lastSeal_ = *seal;
    }
    if (!lastSeal_) {
        fail({Failure::noSeals});
    }
}

void SealedLogVerifier::add(std::string_view line) {
    auto before = chain_.verifiedCount();
    chain_.add(line);
    if (failed_ || chain_.verifiedCount() == before) {
        return;
    }
    std::int64_t seq = chain_.lastSeq();
    if (lastSeal_ && seq <= lastSeal_->seq) {
        ++sealedEntries_;
    }
    if (pending_ < expected_.size()) {
        const auto& sealed = expected_[pending_];
        if (sealed.digestsAt != noDigests && seq > sealed.after && seq <= sealed.seq) {
            auto at = sealed.digestsAt +
                      static_cast<std::size_t>(seq - sealed.after - 1) * Seal::digestLength;
            if (chain_.lastHash().substr(0, Seal::digestLength) !=
                std::string_view(digests_).substr(at, Seal::digestLength)) {
                return fail({Failure::entryChanged, 0, sealed.epoch, seq, seq});
            }
        }
    }
    for (; pending_ < expected_.size() && expected_[pending_].seq <= seq; ++pending_) {
        const auto& sealed = expected_[pending_];
        if (sealed.seq < seq) {
            // The chain went past a sealed seq it never had: renumbered.
            return fail({Failure::entriesMissing, 0, sealed.epoch, sealed.seq, sealed.seq});
        }
        if (std::string_view(sealed.hash.data(), sealed.hash.size()) != chain_.lastHash()) {
            return fail({Failure::entryChanged, 0, sealed.epoch, lastMatchedSeq_ + 1, seq});
        }
        lastMatchedSeq_ = seq;
    }
}

SealVerificationResult SealedLogVerifier::result() const {
    if (failed_) {
        return {*failed_};
    }
    auto chain = chain_.result();
    if (auto* broken = std::get_if<ChainVerificationResult::Broken>(&chain.value)) {
        return {Failed{Failure::chainBroken, 0, 0, broken->atSeq, broken->atSeq}};
    }
    if (auto* gap = std::get_if<ChainVerificationResult::Gap>(&chain.value)) {
        return {Failed{Failure::chainBroken, 0, 0, gap->fromSeq + 1, gap->toSeq}};
    }
    if (pending_ < expected_.size()) {
        return {Failed{Failure::entriesMissing, 0, expected_[pending_].epoch,
                       std::max(chain_.lastSeq() + 1, lastMatchedSeq_ + 1),
                       expected_[pending_].seq}};
    }
    Instant through = std::min(lastSeal_->to, lastSeal_->sealedAt);
    return {SealVerificationResult::Sealed{
        through, sealedEntries_, chain_.verifiedCount() - sealedEntries_, lastSeal_->epoch}};
}

void SealedLogVerifier::fail(SealVerificationResult::Failed failed) {
    if (!failed_) {
        failed_ = failed;
    }
}

}  // namespace veyrune
