#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// The forward-secure MAC of the seals. Pure functions; any thread.
class SealKey {
  public:
    using Bytes = std::array<unsigned char, 32>;

    // The key of the next epoch: SHA-256 over a fixed label and `key`. One way,
    // so holding a key tells nothing about the keys before it.
    static Bytes evolve(const Bytes& key);
    // `key` evolved `steps` times.
    static Bytes advance(Bytes key, std::int64_t steps);
    // HMAC-SHA-256 of `text` under `key`, as 64 lowercase hexadecimal characters.
    static std::string mac(const Bytes& key, std::string_view text);
    // 32 random bytes from the system's generator. Throws Error when it has none.
    static Bytes randomSeed();

    static std::string hex(const Bytes& key);
    // Nothing unless `text` is 64 hexadecimal characters.
    static std::optional<Bytes> fromHex(std::string_view text);
};

}  // namespace veyrune
