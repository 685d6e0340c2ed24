#include "seal/Seal.h"

#include <charconv>

namespace veyrune {

namespace {

constexpr std::string_view kMacKey = ",\"mac\":\"";
constexpr std::size_t kHashLength = 64;
constexpr std::size_t kSuffixLength = kMacKey.size() + kHashLength + 2;

// A character-set search per digit cost more than the seal's MAC.
bool isLowerHex(std::string_view text) {
    bool ok = true;
    for (char c : text) {
        ok &= (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    }
    return ok;
}

// Reads the one form Seal writes, field by field; anything else fails.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : rest_(text) {}
    bool ok() const { return ok_ && rest_.empty(); }

    void literal(std::string_view expected) {
        if (ok_ && rest_.starts_with(expected)) {
            rest_.remove_prefix(expected.size());
        } else {
            ok_ = false;
        }
    }
    std::int64_t integer() {
        std::int64_t value = 0;
        auto [end, error] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), value);
        ok_ = ok_ && error == std::errc() && end != rest_.data();
        rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
        return value;
    }
    // A string's content up to its closing quote, which is consumed.
    std::string_view text() {
        auto end = rest_.find('"');
        if (!ok_ || end == std::string_view::npos) {
            ok_ = false;
            return {};
        }
        auto value = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
        return value;
    }
    Instant instant() {
        auto value = parseISO8601(text());
        ok_ = ok_ && value.has_value();
        return value.value_or(Instant{});
    }
    std::string hash() {
        auto value = text();
        ok_ = ok_ && value.size() == kHashLength && isLowerHex(value);
        return std::string(value);
    }
    // Whole digests of lowercase hexadecimal digits.
    std::string digests() {
        auto value = text();
        ok_ = ok_ && value.size() % Seal::digestLength == 0 && isLowerHex(value);
        return std::string(value);
    }
    bool boolean() {
        if (rest_.starts_with("true")) {
            rest_.remove_prefix(4);
            return true;
        }
        literal("false");
        return false;
    }

  private:
    std::string_view rest_;
    bool ok_ = true;
};

}  // namespace

std::string Seal::macText() const {
    return "{\"epoch\":" + std::to_string(epoch) + ",\"from\":\"" + iso8601String(from) +
           "\",\"to\":\"" + iso8601String(to) + "\",\"sealedAt\":\"" + iso8601String(sealedAt) +
           "\",\"seq\":" + std::to_string(seq) + ",\"line\":\"" + lineHash + "\",\"prev\":\"" +
           prev + "\",\"closing\":" + (closing ? "true" : "false") + ",\"digests\":\"" + digests +
           "\"";
}

std::string Seal::line(const SealKey::Bytes& key) const {
    auto text = macText();
    return text + std::string(kMacKey) + SealKey::mac(key, text) + "\"}";
}

std::string_view Seal::macCovered(std::string_view line) {
    return line.size() < kSuffixLength ? std::string_view{}
                                       : line.substr(0, line.size() - kSuffixLength);
}

std::optional<Seal> Seal::parse(std::string_view line) {
    Seal seal;
    Cursor cursor(line);
    cursor.literal("{\"epoch\":");
    seal.epoch = cursor.integer();
    cursor.literal(",\"from\":\"");
    seal.from = cursor.instant();
    cursor.literal(",\"to\":\"");
    seal.to = cursor.instant();
    cursor.literal(",\"sealedAt\":\"");
    seal.sealedAt = cursor.instant();
    cursor.literal(",\"seq\":");
    seal.seq = cursor.integer();
    cursor.literal(",\"line\":\"");
    seal.lineHash = cursor.hash();
    cursor.literal(",\"prev\":\"");
    seal.prev = cursor.hash();
    cursor.literal(",\"closing\":");
    seal.closing = cursor.boolean();
    cursor.literal(",\"digests\":\"");
    seal.digests = cursor.digests();
    cursor.literal(kMacKey);
    seal.mac = cursor.hash();
    cursor.literal("}");
    if (!cursor.ok()) {
        return std::nullopt;
    }
    return seal;
}

}  // namespace veyrune
