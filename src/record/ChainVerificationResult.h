#pragma once

#include <cstdint>
#include <variant>

namespace veyrune {

// The verifier's answer about the event log's hash chain.
struct ChainVerificationResult {
    struct Empty {
        bool operator==(const Empty&) const = default;
    };
    struct NotStarted {
        std::int64_t legacyCount;
        bool operator==(const NotStarted&) const = default;
    };
    struct Intact {
        std::int64_t verifiedCount, legacyCount, firstSeq, lastSeq;
        bool operator==(const Intact&) const = default;
    };
    struct Broken {
        std::int64_t atSeq;
        bool operator==(const Broken&) const = default;
    };
    struct Gap {
        std::int64_t fromSeq, toSeq;
        bool operator==(const Gap&) const = default;
    };

    std::variant<Empty, NotStarted, Intact, Broken, Gap> value;

    static ChainVerificationResult empty() { return {Empty{}}; }
    static ChainVerificationResult notStarted(std::int64_t legacy) { return {NotStarted{legacy}}; }
    static ChainVerificationResult intact(std::int64_t verified, std::int64_t legacy,
                                          std::int64_t first, std::int64_t last) {
        return {Intact{verified, legacy, first, last}};
    }
    static ChainVerificationResult broken(std::int64_t at) { return {Broken{at}}; }
    static ChainVerificationResult gap(std::int64_t from, std::int64_t to) {
        return {Gap{from, to}};
    }

    bool operator==(const ChainVerificationResult&) const = default;
};

}  // namespace veyrune
