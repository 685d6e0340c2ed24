#pragma once

#include <future>

#include "delivery/DeliveryChannel.h"

namespace veyrune::test {

// Sends and blocks until the completion runs. A second completion call would
// throw std::future_error on the pool thread and end the test program.
inline DeliveryResult sendAndWait(DeliveryChannel& channel, const SecurityEvent& event) {
    auto promise = std::make_shared<std::promise<DeliveryResult>>();
    auto future = promise->get_future();
    channel.send(event, [promise](DeliveryResult result) { promise->set_value(result); });
    return future.get();
}

}  // namespace veyrune::test
