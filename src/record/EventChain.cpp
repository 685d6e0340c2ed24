#include "record/EventChain.h"

#include <openssl/evp.h>

#include <limits>

#include "record/RecordCoding.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

const std::string EventChain::genesis(64, '0');

std::string EventChain::canonicalLine(const SecurityEvent& event) {
    try {
        return compactText(toJSON(event, DateEncoding::iso8601));
    } catch (const nlohmann::json::type_error&) {
        throw EventChainError(EventChainError::Code::encodingFailed);
    }
}

namespace {

// One digest context per thread, set up once: fetching the algorithm and
// making a context for every line costs more than hashing a short line.
class SHA256Context {
  public:
    SHA256Context() : md_(EVP_MD_fetch(nullptr, "SHA256", nullptr)), context_(EVP_MD_CTX_new()) {}
    ~SHA256Context() {
        EVP_MD_CTX_free(context_);
        EVP_MD_free(md_);
    }
    SHA256Context(const SHA256Context&) = delete;
    SHA256Context& operator=(const SHA256Context&) = delete;

    unsigned int digest(std::string_view bytes, unsigned char* out) {
        unsigned int length = 0;
        EVP_DigestInit_ex2(context_, md_, nullptr);
        EVP_DigestUpdate(context_, bytes.data(), bytes.size());
        EVP_DigestFinal_ex(context_, out, &length);
        return length;
    }

  private:
    EVP_MD* md_;
    EVP_MD_CTX* context_;
};

}  // namespace

EventChain::LinkHash EventChain::linkHashChars(std::string_view line) {
    thread_local SHA256Context context;
    unsigned char digest[EVP_MAX_MD_SIZE];
    context.digest(line, digest);
    static constexpr char kHex[] = "0123456789abcdef";
    LinkHash hex;
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
        hex[2 * i] = kHex[digest[i] >> 4];
        hex[2 * i + 1] = kHex[digest[i] & 0x0f];
    }
    return hex;
}

std::string EventChain::linkHash(std::string_view line) {
    auto hex = linkHashChars(line);
    return std::string(hex.begin(), hex.end());
}

EventChain::Header EventChain::nextHeader(const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return {1, genesis};
    }
    auto fields = SecurityEventDecoder().chainFields(lines.back());
    auto seq = fields ? fields->seq : std::nullopt;
    if (!seq || *seq == std::numeric_limits<std::int64_t>::max()) {
        return {1, genesis};
    }
    return {*seq + 1, linkHash(lines.back())};
}

}  // namespace veyrune
