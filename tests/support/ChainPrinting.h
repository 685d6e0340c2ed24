#pragma once

#include <ostream>

#include "record/ChainVerificationResult.h"

namespace veyrune {

// Readable verdicts in test failure messages.
inline void PrintTo(const ChainVerificationResult& result, std::ostream* out) {
    using R = ChainVerificationResult;
    std::visit(
        [out](const auto& r) {
            using T = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<T, R::Empty>) {
                *out << "empty";
            } else if constexpr (std::is_same_v<T, R::NotStarted>) {
                *out << "notStarted(" << r.legacyCount << ")";
            } else if constexpr (std::is_same_v<T, R::Intact>) {
                *out << "intact(" << r.verifiedCount << ", " << r.legacyCount << ", " << r.firstSeq
                     << ", " << r.lastSeq << ")";
            } else if constexpr (std::is_same_v<T, R::Broken>) {
                *out << "broken(" << r.atSeq << ")";
            } else {
                *out << "gap(" << r.fromSeq << ", " << r.toSeq << ")";
            }
        },
        result.value);
}

}  // namespace veyrune
