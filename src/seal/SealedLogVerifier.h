#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/EventChainVerifier.h"
#include "seal/Seal.h"
#include "seal/SealVerificationResult.h"
#include "seal/VerificationKey.h"

namespace veyrune {

// Checks an event log against its seals with the verification key: each seal
// under the key of its own epoch, derived forward from the seed and never
// taken from a later epoch; the seals' own chain; no epoch left out unless a
// closing seal explains it; every sealed entry still as sealed, naming the
// first one that is not (by the seals' digests of each entry). The seals are
// checked when constructed; the log then streams through add() as through
// EventChainVerifier. Never throws on bad input. One thread at a time.
class SealedLogVerifier {
  public:
    SealedLogVerifier(const VerificationKey& key, const std::vector<std::string>& sealLines);

    // The next line of the log, in file order.
    void add(std::string_view line);
    SealVerificationResult result() const;
    const EventChainVerifier& chain() const { return chain_; }

  private:
    // A sealed line: the last of the log when an epoch was sealed, and where
    // the digests of the entries after `after` up to it start in digests_.
    struct Expected {
        std::int64_t seq;
        EventChain::LinkHash hash;
        std::int64_t epoch;
        std::int64_t after = 0;
        std::size_t digestsAt = noDigests;
    };
    static constexpr std::size_t noDigests = static_cast<std::size_t>(-1);
    void checkSeals(const VerificationKey& key, const std::vector<std::string>& lines);
    void fail(SealVerificationResult::Failed failed);

    EventChainVerifier chain_;
    std::optional<SealVerificationResult::Failed> failed_;
    std::vector<Expected> expected_;  // in seal order, seq rising
    std::string digests_;             // of every entry with a digest, one after the other
    std::size_t pending_ = 0;         // the first not met yet in the log
    std::int64_t lastMatchedSeq_ = 0;
    std::optional<Seal> lastSeal_;
    std::int64_t sealedEntries_ = 0;
};

}  // namespace veyrune
