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
    pending_ = expected_.begin();
}

void SealedLogVerifier::checkSeals(const VerificationKey& key,
                                   const std::vector<std::string>& lines) {
    SealEpochs epochs{key.epochSeconds};
    // The key moves only forward, so a seal is never checked under a later key.
    std::int64_t keyEpoch = key.firstEpoch;
    SealKey::Bytes epochKey = key.seed;
    std::string previousLine;
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
        if (SealKey::mac(epochKey, seal->macText()) != seal->mac) {
            at.failure = Failure::badMAC;
            return fail(at);
        }
        if (seal->prev != (lastSeal_ ? EventChain::linkHash(previousLine) : EventChain::genesis)) {
            at.failure = Failure::sealChainBroken;
            return fail(at);
        }
        if (seal->from != epochs.start(seal->epoch) || seal->to != epochs.start(seal->epoch + 1)) {
            at.failure = Failure::wrongSpan;
            return fail(at);
        }
        if (seal->seq > 0) {
            auto [found, added] =
                expected_.try_emplace(seal->seq, Expected{seal->lineHash, seal->epoch});
            if (!added && found->second.hash != seal->lineHash) {
                at.failure = Failure::entryChanged;
                at.fromSeq = at.toSeq = seal->seq;
                return fail(at);
            }
        }
        lastSeal_ = *seal;
        previousLine = line;
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
    for (; pending_ != expected_.end() && pending_->first <= seq; ++pending_) {
        if (pending_->first < seq) {
            // The chain went past a sealed seq it never had: renumbered.
            return fail({Failure::entriesMissing, 0, pending_->second.epoch, pending_->first,
                         pending_->first});
        }
        if (pending_->second.hash != chain_.lastHash()) {
            return fail(
                {Failure::entryChanged, 0, pending_->second.epoch, lastMatchedSeq_ + 1, seq});
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
    if (pending_ != expected_.end()) {
        return {Failed{Failure::entriesMissing, 0, pending_->second.epoch,
                       std::max(chain_.lastSeq() + 1, lastMatchedSeq_ + 1), pending_->first}};
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
