#pragma once

namespace veyrune {

// What became of an alert handed to delivery.
enum class DeliveryEnqueueOutcome { queued, disabled, notConfigured, storageUnavailable };

}  // namespace veyrune
