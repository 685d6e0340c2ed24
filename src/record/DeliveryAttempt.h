#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Instant.h"
#include "base/Uuid.h"
#include "record/DeliveryChannelKind.h"

namespace veyrune {

enum class DeliveryAttemptStatus { pending, sent, failed };

std::string_view rawValue(DeliveryAttemptStatus status);
std::optional<DeliveryAttemptStatus> deliveryAttemptStatusFromRaw(std::string_view raw);

// The timeline's view of one queued alert delivery.
struct DeliveryAttempt {
    Uuid id;
    Uuid eventID;
    DeliveryChannelKind channel = DeliveryChannelKind::telegram;
    DeliveryAttemptStatus status = DeliveryAttemptStatus::pending;
    std::int64_t attempts = 0;
    std::optional<Instant> nextAttemptAt;
    std::optional<std::string> lastError;

    bool operator==(const DeliveryAttempt&) const = default;
};

}  // namespace veyrune
