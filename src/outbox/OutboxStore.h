#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Instant.h"
#include "base/Uuid.h"
#include "outbox/DeliveryQueueSummary.h"
#include "outbox/OutboxRecord.h"
#include "record/DeliveryAttempt.h"

namespace veyrune {

// The durable queue of alert deliveries, one record per event and channel.
// Every operation is synchronous and atomic: its changes are committed before
// it returns, or none are. Failures are thrown as a veyrune::Error
// (OutboxStoreError, or the error of the storage underneath). Thread-safe.
class OutboxStore {
  public:
    using AttemptsByEvent = std::map<Uuid, std::vector<DeliveryAttempt>>;

    virtual ~OutboxStore() = default;

    // A new pending record, due at `createdAt`.
    virtual OutboxRecord enqueue(std::optional<Uuid> eventID, DeliveryChannelKind channel,
                                 const std::string& payload, Instant createdAt) = 0;
    // Marks every due pending record as sending and returns them, ordered by
    // nextAttemptAt, createdAt, then id.
    virtual std::vector<OutboxRecord> claimDueRecords(Instant now) = 0;
    // The calls below ignore a record that does not exist.
    virtual void markSent(const Uuid& id) = 0;
    virtual void reschedule(const Uuid& id, std::int64_t attempts, Instant nextAttemptAt,
                            DeliveryFailureCode failure) = 0;
    virtual void markFailed(const Uuid& id, std::int64_t attempts, DeliveryFailureCode failure) = 0;
    // Records left in sending by an earlier run: due at `now` when they name
    // their event, otherwise failed as legacyPayload.
    virtual void recoverInterruptedSends(Instant now) = 0;
    // Pending records whose last failure was `network` become due at `now`.
    virtual void makeNetworkFailuresDue(Instant now) = 0;
    // Failed records of the event become pending, due at `now`, attempts kept.
    virtual void retryFailedDeliveries(const Uuid& eventID, Instant now) = 0;
    // Deliveries of the given events, each list ordered by channel, fetched in
    // chunks of at most `batchSize` (at least 1) identifiers.
    virtual AttemptsByEvent deliveryAttempts(const std::vector<Uuid>& eventIDs,
                                             std::size_t batchSize) = 0;
    // Counts of pending (including sending) and failed records.
    virtual DeliveryQueueSummary queueSummary() = 0;
    // When the next pending record is due: distantPast() when one is due at
    // once, nothing when none is pending.
    virtual std::optional<Instant> nextDueDate() = 0;
};

}  // namespace veyrune
