#include "base/Uuid.h"

#include <uuid/uuid.h>

#include <cstring>

namespace veyrune {

Uuid Uuid::random() {
    uuid_t raw;
    uuid_generate_random(raw);
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), raw, bytes.size());
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    // uuid_parse needs a terminated string and accepts either case.
    char buffer[37];
    std::memcpy(buffer, text.data(), 36);
    buffer[36] = '\0';
    uuid_t raw;
    if (uuid_parse(buffer, raw) != 0) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), raw, bytes.size());
    return Uuid(bytes);
}

std::string Uuid::uuidString() const {
    uuid_t raw;
    std::memcpy(raw, bytes_.data(), bytes_.size());
    char buffer[37];
    uuid_unparse_upper(raw, buffer);
    return std::string(buffer, 36);
}

}  // namespace veyrune

std::size_t std::hash<veyrune::Uuid>::operator()(const veyrune::Uuid& id) const noexcept {
    std::size_t seed = 0;
    for (auto byte : id.bytes()) {
        seed = seed * 131 + byte;
    }
    return seed;
}
