#pragma once

#include <utility>

#include "base/TaskPool.h"
#include "delivery/DeliveryChannel.h"

namespace veyrune {

// Runs one blocking send on the pool and reports its result exactly once.
// `deliver` must own copies of everything it uses: the channel may be gone
// before it runs. A throw (only allocation can) counts as a network failure.
template <typename Deliver>
void runDeliveryTask(TaskPool& pool, DeliveryChannel::Completion completion, Deliver deliver) {
    pool.run([deliver = std::move(deliver), completion = std::move(completion)]() mutable {
        DeliveryResult result = DeliveryResult::retryable(DeliveryFailureCode::network);
        try {
            result = deliver();
        } catch (...) {
        }
        completion(result);
    });
}

}  // namespace veyrune
