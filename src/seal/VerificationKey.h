#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "seal/SealKey.h"

namespace veyrune {

class VerificationKeyError : public Error {
  public:
    using Error::Error;
};

// What rebuilds every sealing key: the seed (the key of the first epoch), that
// epoch and the epoch length. Shown to the user once and never stored.
struct VerificationKey {
    SealKey::Bytes seed{};
    std::int64_t firstEpoch = 0;
    std::int64_t epochSeconds = 0;

    // Crockford base-32 in dash-separated groups of four, the last two
    // characters a checksum, e.g. "7Q2M-0R4K-...".
    std::string text() const;
    // Reads text() back, ignoring case, spaces and dashes and reading I/L as 1
    // and O as 0. Throws VerificationKeyError naming what is wrong (a length,
    // a character, or a typo the checksum caught).
    static VerificationKey parse(std::string_view text);

    bool operator==(const VerificationKey&) const = default;
};

}  // namespace veyrune
