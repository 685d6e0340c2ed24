#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Instant.h"
#include "seal/SealKey.h"

namespace veyrune {

// One line of "security-events.seals": what the event log held when an epoch
// was sealed, and the MAC over it under that epoch's key.
struct Seal {
    std::int64_t epoch = 0;
    Instant from, to;      // the epoch's span
    Instant sealedAt;      // when it was written (before `to` for a closing seal)
    std::int64_t seq = 0;  // the log's last chained line; 0: none yet
    std::string lineHash;  // SHA-256 of that line (64 zeros for none)
    std::string prev;      // the MAC of the seal before (64 zeros for the first)
    bool closing = false;  // written early, before sleep or shutdown
    // The first 16 hexadecimal digits of the SHA-256 of each entry after the
    // seal before, up to `seq`, one after the other; empty in the first seal,
    // which seals what was there when sealing began. They name the first
    // changed entry; `lineHash` alone proves a change.
    std::string digests;
    std::string mac;  // HMAC-SHA-256 of the line up to the MAC

    static constexpr std::size_t digestLength = 16;

    // The fields in a fixed order without the MAC and the closing brace: the
    // bytes the MAC covers.
    std::string macText() const;
    // The whole line (no newline), the MAC computed under `key`.
    std::string line(const SealKey::Bytes& key) const;
    // Nothing when the line is not a seal in the one form line() writes. The
    // MAC is not checked.
    static std::optional<Seal> parse(std::string_view line);
    // The bytes of a parsed seal line that its MAC covers.
    static std::string_view macCovered(std::string_view line);
};

}  // namespace veyrune
