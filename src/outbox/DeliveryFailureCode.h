#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace veyrune {

// Why a delivery attempt failed; stored and shown by its raw value.
enum class DeliveryFailureCode {
    notConfigured,
    network,
    rateLimited,
    server,
    rejected,
    invalidResponse,
    legacyPayload,
    storage,
};

inline constexpr std::array<DeliveryFailureCode, 8> allDeliveryFailureCodes = {
    DeliveryFailureCode::notConfigured, DeliveryFailureCode::network,
    DeliveryFailureCode::rateLimited,   DeliveryFailureCode::server,
    DeliveryFailureCode::rejected,      DeliveryFailureCode::invalidResponse,
    DeliveryFailureCode::legacyPayload, DeliveryFailureCode::storage,
};

inline std::string_view rawValue(DeliveryFailureCode code) {
    static constexpr std::array<std::string_view, 8> kRaw = {
        "notConfigured", "network",         "rateLimited",   "server",
        "rejected",      "invalidResponse", "legacyPayload", "storage"};
    return kRaw[std::size_t(code)];
}

inline std::optional<DeliveryFailureCode> deliveryFailureCodeFromRaw(std::string_view raw) {
    for (auto code : allDeliveryFailureCodes) {
        if (rawValue(code) == raw) {
            return code;
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
