#include "seal/SealKey.h"

#include <openssl/rand.h>

#include <initializer_list>

#include "base/Error.h"
#include "base/Hex.h"
#include "base/SHA256.h"

namespace veyrune {

namespace {

constexpr std::string_view kEvolveLabel = "veyrune seal key evolution v1";

std::string_view view(const SealKey::Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

SealKey::Bytes SealKey::evolve(const Bytes& key) {
    return sha256({kEvolveLabel, view(key)});
}

SealKey::Bytes SealKey::advance(Bytes key, std::int64_t steps) {
    for (std::int64_t i = 0; i < steps; ++i) {
        key = evolve(key);
    }
    return key;
}

std::string SealKey::mac(const Bytes& key, std::string_view text) {
    // HMAC-SHA-256 (RFC 2104); the key is shorter than a block, so padded with zeros.
    std::array<char, 64> inner{}, outer{};
    for (std::size_t i = 0; i < inner.size(); ++i) {
        char byte = i < key.size() ? static_cast<char>(key[i]) : '\0';
        inner[i] = static_cast<char>(byte ^ 0x36);
        outer[i] = static_cast<char>(byte ^ 0x5c);
    }
    auto innerHash = sha256({{inner.data(), inner.size()}, text});
    return hex(sha256({{outer.data(), outer.size()}, view(innerHash)}));
}

SealKey::Bytes SealKey::randomSeed() {
    Bytes seed{};
    if (RAND_bytes(seed.data(), static_cast<int>(seed.size())) != 1) {
        throw Error("No random bytes for a sealing key.");
    }
    return seed;
}

std::string SealKey::hex(const Bytes& key) {
    return hexText(key.data(), key.size());
}

std::optional<SealKey::Bytes> SealKey::fromHex(std::string_view text) {
    Bytes key{};
    if (text.size() != key.size() * 2) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        int high = hexDigitValue(text[2 * i]);
        int low = hexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        key[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return key;
}

}  // namespace veyrune
