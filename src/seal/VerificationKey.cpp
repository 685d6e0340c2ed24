#include "seal/VerificationKey.h"

#include <vector>

#include "base/SHA256.h"

namespace veyrune {

namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::size_t kPayloadBytes = 32 + 4 + 4;
constexpr std::size_t kChecksumBytes = 2;
constexpr std::size_t kTotalBytes = kPayloadBytes + kChecksumBytes;
constexpr std::size_t kCharacters = (kTotalBytes * 8 + 4) / 5;

int symbolValue(char c) {
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    if (c == 'I' || c == 'L') {
        return 1;
    }
    if (c == 'O') {
        return 0;
    }
    for (int i = 0; i < 32; ++i) {
        if (kAlphabet[i] == c) {
            return i;
        }
    }
    return -1;
}

std::array<unsigned char, kChecksumBytes> checksum(const std::vector<unsigned char>& payload) {
    const SHA256Digest digest =
        sha256({{reinterpret_cast<const char*>(payload.data()), payload.size()}});
    return {digest[0], digest[1]};
}

void putUint32(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

std::uint32_t getUint32(const std::vector<unsigned char>& bytes, std::size_t at) {
    return (std::uint32_t(bytes[at]) << 24) | (std::uint32_t(bytes[at + 1]) << 16) |
           (std::uint32_t(bytes[at + 2]) << 8) | std::uint32_t(bytes[at + 3]);
}

}  // namespace

std::string VerificationKey::text() const {
    std::vector<unsigned char> bytes(seed.begin(), seed.end());
    putUint32(bytes, static_cast<std::uint32_t>(firstEpoch));
    putUint32(bytes, static_cast<std::uint32_t>(epochSeconds));
    auto sum = checksum(bytes);
    bytes.insert(bytes.end(), sum.begin(), sum.end());
    std::string symbols;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (unsigned char byte : bytes) {
        buffer = (buffer << 8) | byte;
        bits += 8;
        while (bits >= 5) {
            symbols += kAlphabet[(buffer >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0) {
        symbols += kAlphabet[(buffer << (5 - bits)) & 31];
    }
    std::string out;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        if (i > 0 && i % 4 == 0) {
            out += '-';
        }
        out += symbols[i];
    }
    return out;
}

VerificationKey VerificationKey::parse(std::string_view text) {
    std::vector<int> values;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '\t' || c == '\n') {
            continue;
        }
        int value = symbolValue(c);
        if (value < 0) {
            throw VerificationKeyError(std::string("The key cannot contain \"") + c + "\".");
        }
        values.push_back(value);
    }
    if (values.size() != kCharacters) {
        throw VerificationKeyError("The key has " + std::to_string(values.size()) +
                                   " characters, not " + std::to_string(kCharacters) + ".");
    }
    std::vector<unsigned char> bytes;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (int value : values) {
        buffer = (buffer << 5) | static_cast<std::uint32_t>(value);
        bits += 5;
        if (bits >= 8) {
            bytes.push_back(static_cast<unsigned char>(buffer >> (bits - 8)));
            bits -= 8;
        }
    }
    bytes.resize(kTotalBytes);
    std::vector<unsigned char> payload(bytes.begin(), bytes.begin() + kPayloadBytes);
    auto sum = checksum(payload);
    if (sum[0] != bytes[kPayloadBytes] || sum[1] != bytes[kPayloadBytes + 1] ||
        (buffer & ((1u << bits) - 1)) != 0) {
        throw VerificationKeyError("The key has a typo: its checksum does not match.");
    }
    VerificationKey key;
    std::copy(payload.begin(), payload.begin() + 32, key.seed.begin());
    key.firstEpoch = getUint32(payload, 32);
    key.epochSeconds = getUint32(payload, 36);
    if (key.epochSeconds <= 0) {
        throw VerificationKeyError("The key names no epoch length.");
    }
    return key;
}

}  // namespace veyrune
