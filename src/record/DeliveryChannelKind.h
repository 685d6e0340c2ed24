#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace veyrune {

enum class DeliveryChannelKind { telegram, webhook, smtp };

inline constexpr std::array<DeliveryChannelKind, 3> allDeliveryChannelKinds = {
    DeliveryChannelKind::telegram, DeliveryChannelKind::webhook, DeliveryChannelKind::smtp};

std::string_view rawValue(DeliveryChannelKind kind);
std::optional<DeliveryChannelKind> deliveryChannelKindFromRaw(std::string_view raw);
// The name shown to people: "Telegram", "Webhook", "Email".
std::string_view channelLabel(DeliveryChannelKind kind);

}  // namespace veyrune
