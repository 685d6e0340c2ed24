#include "seal/SealKey.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <initializer_list>

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

// SHA-256 with the algorithm fetched once and the context reused: checking a
// long log runs this for every seal.
class Sha256 {
  public:
    Sha256() : md_(EVP_MD_fetch(nullptr, "SHA256", nullptr)), context_(EVP_MD_CTX_new()) {}
    ~Sha256() {
        EVP_MD_CTX_free(context_);
        EVP_MD_free(md_);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    SealKey::Bytes digest(std::initializer_list<std::string_view> parts) {
        SealKey::Bytes out{};
        unsigned int length = 0;
        EVP_DigestInit_ex2(context_, md_, nullptr);
        for (auto part : parts) {
            EVP_DigestUpdate(context_, part.data(), part.size());
        }
        EVP_DigestFinal_ex(context_, out.data(), &length);
        return out;
    }

  private:
    EVP_MD* md_;
    EVP_MD_CTX* context_;
};

Sha256& sha256() {
    thread_local Sha256 instance;
    return instance;
}

std::string_view view(const SealKey::Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

SealKey::Bytes SealKey::evolve(const Bytes& key) {
    return sha256().digest({kEvolveLabel, view(key)});
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
    auto innerHash = sha256().digest({{inner.data(), inner.size()}, text});
    return hex(sha256().digest({{outer.data(), outer.size()}, view(innerHash)}));
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
