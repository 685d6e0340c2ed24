#include "channels/HTTPDeliveryResults.h"

namespace veyrune {

std::optional<DeliveryResult> failureForHTTPStatus(long status) {
    if (status >= 200 && status <= 299) {
        return std::nullopt;
    }
    if (status == 408 || status == 425) {
        return DeliveryResult::retryable(DeliveryFailureCode::network);
    }
    if (status == 429) {
        return DeliveryResult::retryable(DeliveryFailureCode::rateLimited);
    }
    if (status >= 500 && status <= 599) {
        return DeliveryResult::retryable(DeliveryFailureCode::server);
    }
    if (status >= 400 && status <= 499) {
        return DeliveryResult::terminal(DeliveryFailureCode::rejected);
    }
    return DeliveryResult::terminal(DeliveryFailureCode::invalidResponse);
}

DeliveryResult resultForTransportError(const HTTPTransportError& error) {
    if (error.kind() == HTTPTransportError::Kind::network) {
        return DeliveryResult::retryable(DeliveryFailureCode::network);
    }
    return DeliveryResult::terminal(DeliveryFailureCode::invalidResponse);
}

}  // namespace veyrune
