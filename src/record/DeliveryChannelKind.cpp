#include "record/DeliveryChannelKind.h"

namespace veyrune {

std::string_view rawValue(DeliveryChannelKind kind) {
    switch (kind) {
        case DeliveryChannelKind::telegram:
            return "telegram";
        case DeliveryChannelKind::webhook:
            return "webhook";
        case DeliveryChannelKind::smtp:
            return "smtp";
    }
    return "telegram";
}

std::optional<DeliveryChannelKind> deliveryChannelKindFromRaw(std::string_view raw) {
    for (auto kind : allDeliveryChannelKinds) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string_view channelLabel(DeliveryChannelKind kind) {
    switch (kind) {
        case DeliveryChannelKind::telegram:
            return "Telegram";
        case DeliveryChannelKind::webhook:
            return "Webhook";
        case DeliveryChannelKind::smtp:
            return "Email";
    }
    return "Telegram";
}

}  // namespace veyrune
