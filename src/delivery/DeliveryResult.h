#pragma once

#include <optional>

#include "outbox/DeliveryFailureCode.h"

namespace veyrune {

// How one send ended: sent, or failed with a code that may (retryable) or
// cannot (terminal) succeed later.
struct DeliveryResult {
    enum class Kind { sent, retryable, terminal };

    Kind kind = Kind::sent;
    std::optional<DeliveryFailureCode> failure;  // set for retryable and terminal

    static DeliveryResult sent() { return {Kind::sent, std::nullopt}; }
    static DeliveryResult retryable(DeliveryFailureCode code) { return {Kind::retryable, code}; }
    static DeliveryResult terminal(DeliveryFailureCode code) { return {Kind::terminal, code}; }

    bool operator==(const DeliveryResult&) const = default;
};

}  // namespace veyrune
