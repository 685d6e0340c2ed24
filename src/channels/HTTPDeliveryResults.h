#pragma once

#include <optional>

#include "channels/HTTPTransportError.h"
#include "delivery/DeliveryResult.h"

namespace veyrune {

// The status table both channels share. Nothing for 2xx: each channel decides
// what a success means. 408/425 and 5xx may pass, 429 is rate limiting, other
// 4xx are refusals, and everything else (1xx, 3xx, 600+) is not understood.
std::optional<DeliveryResult> failureForHTTPStatus(long status);

// A failed exchange: a reply that was not HTTP, or a request that could not be
// sent at all, cannot get better; every other failure is the network's.
DeliveryResult resultForTransportError(const HTTPTransportError& error);

}  // namespace veyrune
