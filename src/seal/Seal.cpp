#include "seal/Seal.h"

#include <nlohmann/json.hpp>

namespace veyrune {

namespace {

constexpr std::string_view kMacKey = ",\"mac\":\"";
constexpr std::size_t kHashLength = 64;

bool isHash(const std::string& text) {
    return SealKey::fromHex(text).has_value() && text.find_first_of("ABCDEF") == std::string::npos;
}

std::optional<Instant> instantField(const nlohmann::json& object, const char* name) {
    auto found = object.find(name);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return parseISO8601(found->get<std::string>());
}

}  // namespace

std::string Seal::macText() const {
    return "{\"epoch\":" + std::to_string(epoch) + ",\"from\":\"" + iso8601String(from) +
           "\",\"to\":\"" + iso8601String(to) + "\",\"sealedAt\":\"" + iso8601String(sealedAt) +
           "\",\"seq\":" + std::to_string(seq) + ",\"line\":\"" + lineHash + "\",\"prev\":\"" +
           prev + "\",\"closing\":" + (closing ? "true" : "false");
}

std::string Seal::line(const SealKey::Bytes& key) const {
    auto text = macText();
    return text + std::string(kMacKey) + SealKey::mac(key, text) + "\"}";
}

std::optional<Seal> Seal::parse(std::string_view line) {
    // The MAC ends the line, so the covered bytes are everything before it.
    std::size_t suffix = kMacKey.size() + kHashLength + 2;
    if (line.size() <= suffix || line.substr(line.size() - 2) != "\"}" ||
        line.substr(line.size() - suffix, kMacKey.size()) != kMacKey) {
        return std::nullopt;
    }
    auto object = nlohmann::json::parse(line, nullptr, false);
    if (!object.is_object()) {
        return std::nullopt;
    }
    Seal seal;
    try {
        seal.epoch = object.at("epoch").get<std::int64_t>();
        seal.seq = object.at("seq").get<std::int64_t>();
        seal.lineHash = object.at("line").get<std::string>();
        seal.prev = object.at("prev").get<std::string>();
        seal.closing = object.at("closing").get<bool>();
        seal.mac = object.at("mac").get<std::string>();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
    auto from = instantField(object, "from");
    auto to = instantField(object, "to");
    auto sealedAt = instantField(object, "sealedAt");
    if (!from || !to || !sealedAt || !isHash(seal.lineHash) || !isHash(seal.prev) ||
        !isHash(seal.mac)) {
        return std::nullopt;
    }
    seal.from = *from;
    seal.to = *to;
    seal.sealedAt = *sealedAt;
    // A line that is not in the one form written cannot carry a valid MAC.
    if (seal.macText() != line.substr(0, line.size() - suffix)) {
        return std::nullopt;
    }
    return seal;
}

}  // namespace veyrune
