#pragma once

namespace veyrune {

// Whether the persistent outbox could be opened and written at the last attempt.
enum class DeliveryStorageAvailability { available, unavailable };

}  // namespace veyrune
