#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace veyrune {

// Where an outbox record stands; stored as its raw value.
enum class OutboxStatus {
    pending,  // waiting for its next attempt
    sending,  // claimed, a send is under way
    sent,     // delivered; terminal
    failed,   // given up until the user asks for a retry
};

inline constexpr std::array<OutboxStatus, 4> allOutboxStatuses = {
    OutboxStatus::pending, OutboxStatus::sending, OutboxStatus::sent, OutboxStatus::failed};

inline std::string_view rawValue(OutboxStatus status) {
    static constexpr std::array<std::string_view, 4> kRaw = {"pending", "sending", "sent",
                                                             "failed"};
    return kRaw[std::size_t(status)];
}

inline std::optional<OutboxStatus> outboxStatusFromRaw(std::string_view raw) {
    for (auto status : allOutboxStatuses) {
        if (rawValue(status) == raw) {
            return status;
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
