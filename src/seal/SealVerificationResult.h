#pragma once

#include <cstdint>
#include <variant>

#include "base/Instant.h"

namespace veyrune {

// The verdict on the seals of an event log, checked with the verification key.
struct SealVerificationResult {
    // Every entry up to `sealedEntries` is sealed; the rest came after the last seal.
    struct Sealed {
        Instant through;
        std::int64_t sealedEntries, unsealedEntries, lastEpoch;
        bool operator==(const Sealed&) const = default;
    };
    enum class Failure {
        noSeals,          // no seal at all
        epochOutOfOrder,  // an epoch before the first or before the seal above it
        missingEpochs,    // firstMissing..lastMissing have no seal and no closing seal before
        badMAC,           // not sealed with the key of its own epoch
        sealChainBroken,  // `prev` does not name the seal line before
        wrongSpan,        // the time span is not the epoch's
        entryChanged,     // fromSeq differs from what was sealed (or, without digests,
                          // the first such entry is among fromSeq..toSeq)
        entriesMissing,   // sealed entries from fromSeq on are gone
        chainBroken,      // the hash chain itself stops at fromSeq
    };
    struct Failed {
        Failure failure;
        std::int64_t sealLine = 0;  // 1-based line of the seals file; 0: none
        std::int64_t epoch = 0;
        std::int64_t fromSeq = 0, toSeq = 0;
        std::int64_t firstMissing = 0, lastMissing = 0;
        bool operator==(const Failed&) const = default;
    };

    std::variant<Sealed, Failed> value;

    bool operator==(const SealVerificationResult&) const = default;
};

}  // namespace veyrune
