#include "seal/SealKey.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "base/Error.h"

namespace veyrune {

namespace {

constexpr std::string_view kEvolveLabel = "veyrune seal key evolution v1";
constexpr char kHexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

SealKey::Bytes SealKey::evolve(const Bytes& key) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    Bytes next{};
    unsigned int length = 0;
    EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
    EVP_DigestUpdate(context, kEvolveLabel.data(), kEvolveLabel.size());
    EVP_DigestUpdate(context, key.data(), key.size());
    EVP_DigestFinal_ex(context, next.data(), &length);
    EVP_MD_CTX_free(context);
    return next;
}

SealKey::Bytes SealKey::advance(Bytes key, std::int64_t steps) {
    for (std::int64_t i = 0; i < steps; ++i) {
        key = evolve(key);
    }
    return key;
}

std::string SealKey::mac(const Bytes& key, std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &length);
    std::string out;
    out.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        out += kHexDigits[digest[i] >> 4];
        out += kHexDigits[digest[i] & 15];
    }
    return out;
}

SealKey::Bytes SealKey::randomSeed() {
    Bytes seed{};
    if (RAND_bytes(seed.data(), static_cast<int>(seed.size())) != 1) {
        throw Error("No random bytes for a sealing key.");
    }
    return seed;
}

std::string SealKey::hex(const Bytes& key) {
    std::string out;
    for (unsigned char byte : key) {
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 15];
    }
    return out;
}

std::optional<SealKey::Bytes> SealKey::fromHex(std::string_view text) {
    Bytes key{};
    if (text.size() != key.size() * 2) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        int high = hexValue(text[2 * i]);
        int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        key[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return key;
}

}  // namespace veyrune
