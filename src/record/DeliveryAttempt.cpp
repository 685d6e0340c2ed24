#include "record/DeliveryAttempt.h"

namespace veyrune {

std::string_view rawValue(DeliveryAttemptStatus status) {
    switch (status) {
        case DeliveryAttemptStatus::pending:
            return "pending";
        case DeliveryAttemptStatus::sent:
            return "sent";
        case DeliveryAttemptStatus::failed:
            return "failed";
    }
    return "failed";
}

std::optional<DeliveryAttemptStatus> deliveryAttemptStatusFromRaw(std::string_view raw) {
    for (auto status : {DeliveryAttemptStatus::pending, DeliveryAttemptStatus::sent,
                        DeliveryAttemptStatus::failed}) {
        if (rawValue(status) == raw) {
            return status;
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
