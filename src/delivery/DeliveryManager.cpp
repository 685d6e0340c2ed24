#include "delivery/DeliveryManager.h"

#include <algorithm>

#include "record/RecordCoding.h"

namespace veyrune {

std::shared_ptr<DeliveryManager> DeliveryManager::create(Dependencies dependencies) {
    return std::shared_ptr<DeliveryManager>(new DeliveryManager(std::move(dependencies)));
}

DeliveryManager::DeliveryManager(Dependencies dependencies) : deps_(std::move(dependencies)) {}

DeliveryManager::~DeliveryManager() {
    if (deps_.monitor) {
        deps_.monitor->cancel();
    }
    if (wakeSource_) {
        wakeSource_->stopObservingWake();
    }
    deps_.timerScheduler.cancel();
}

void DeliveryManager::postWeakly(std::function<void(DeliveryManager&)> work) {
    deps_.queue.post([weak = weak_from_this(), work = std::move(work)] {
        if (auto self = weak.lock()) {
            work(*self);
        }
    });
}

void DeliveryManager::start(bool monitoringNetwork) {
    runSync(deps_.queue, [this] { recoverInterruptedSends(); });
    if (monitoringNetwork && deps_.monitor) {
        deps_.monitor->start(deps_.queue, [weak = weak_from_this()](bool satisfied) {
            if (auto self = weak.lock()) {
                self->handlePathUpdate(satisfied);
            }
        });
    }
}

void DeliveryManager::observeWake(WakeNotificationSource& source) {
    runSync(deps_.queue, [&] { wakeSource_ = &source; });
    source.observeWake([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            // Asleep, the machine may have moved to another network.
            self->networkChanged();
            self->flushNow();
        }
    });
}

void DeliveryManager::enqueueWithOutcome(const SecurityEvent& event,
                                         std::function<void(DeliveryEnqueueOutcome)> completion) {
    // Asking a channel whether it is configured reads the keyring, which may
    // hang: that happens on the blocking pool, the decision on the queue.
    deps_.blockingIO.run([weak = weak_from_this(), channels = deps_.channels, event,
                          completion = std::move(completion)] {
        std::set<DeliveryChannelKind> configured;
        for (const auto& [kind, channel] : channels) {
            if (channel->isConfigured()) {
                configured.insert(kind);
            }
        }
        if (auto self = weak.lock()) {
            self->postWeakly([event, configured, completion](DeliveryManager& manager) {
                manager.decideEnqueue(event, configured, completion);
            });
        }
    });
}

void DeliveryManager::decideEnqueue(const SecurityEvent& event,
                                    const std::set<DeliveryChannelKind>& configured,
                                    const std::function<void(DeliveryEnqueueOutcome)>& completion) {
    auto outcome = enqueue(event, configured);
    if (completion) {
        completion(outcome);
    }
    if (outcome == DeliveryEnqueueOutcome::queued) {
        processDueDeliveries();
    }
}

void DeliveryManager::flushNow() {
    postWeakly([](DeliveryManager& self) { self.processDueDeliveries(); });
}

void DeliveryManager::channelsChanged() {
    postWeakly([](DeliveryManager& self) {
        if (self.deps_.enabledChannels().empty()) {
            self.deps_.timerScheduler.cancel();
        } else {
            self.processDueDeliveries();
        }
    });
}

void DeliveryManager::retry(const Uuid& eventID) {
    postWeakly([eventID](DeliveryManager& self) {
        try {
            self.deps_.outboxStore.retryFailedDeliveries(eventID, self.deps_.clock.now());
        } catch (const std::exception&) {
            self.storageAvailability_ = DeliveryStorageAvailability::unavailable;
            self.deps_.timerScheduler.cancel();
            return;
        }
        self.storageAvailability_ = DeliveryStorageAvailability::available;
        self.recountPending();
        self.processDueDeliveries();
    });
}

void DeliveryManager::stop(std::chrono::steady_clock::time_point deadline) {
    postWeakly([](DeliveryManager& self) {
        std::lock_guard lock(self.sendsMutex_);
        self.stopMarkerRan_ = true;
        self.sendsChanged_.notify_all();
    });
    {
        std::unique_lock lock(sendsMutex_);
        sendsChanged_.wait_until(lock, deadline,
                                 [this] { return stopMarkerRan_ && outstandingSends_ == 0; });
    }
    stopping_ = true;
    deps_.timerScheduler.cancel();
    for (const auto& [kind, channel] : deps_.channels) {
        channel->cancelSends();
    }
}

void DeliveryManager::networkChanged() {
    for (const auto& [kind, channel] : deps_.channels) {
        channel->networkChanged();
    }
}

bool DeliveryManager::isQueueEmpty() const {
    std::lock_guard lock(pendingCountMutex_);
    return pendingCount_ == 0;
}

DeliveryQueueSummary DeliveryManager::queueSummary() {
    DeliveryQueueSummary summary;
    runSync(deps_.queue, [&] {
        try {
            summary = deps_.outboxStore.queueSummary();
        } catch (const std::exception&) {
            storageAvailability_ = DeliveryStorageAvailability::unavailable;
            setPendingCount(0);
            summary = {0, 0, DeliveryStorageAvailability::unavailable};
            return;
        }
        setPendingCount(summary.pendingCount);
        summary.storageAvailability = storageAvailability_;
    });
    return summary;
}

OutboxStore::AttemptsByEvent DeliveryManager::deliveryAttempts(const std::vector<Uuid>& eventIDs) {
    OutboxStore::AttemptsByEvent attempts;
    runSync(deps_.queue, [&] {
        try {
            attempts = deps_.outboxStore.deliveryAttempts(eventIDs, attemptBatchSize);
        } catch (const std::exception&) {
            storageAvailability_ = DeliveryStorageAvailability::unavailable;
            attempts.clear();
        }
    });
    return attempts;
}

DeliveryEnqueueOutcome DeliveryManager::enqueue(const SecurityEvent& event,
                                                const std::set<DeliveryChannelKind>& configured) {
    auto enabled = deps_.enabledChannels();
    if (enabled.empty()) {
        return DeliveryEnqueueOutcome::disabled;
    }
    // std::set orders the kinds as declared, which is also their raw-text order.
    std::vector<DeliveryChannelKind> kinds;
    for (auto kind : enabled) {
        if (configured.contains(kind)) {
            kinds.push_back(kind);
        }
    }
    if (kinds.empty()) {
        return DeliveryEnqueueOutcome::notConfigured;
    }
    std::sort(kinds.begin(), kinds.end(), [](auto a, auto b) { return rawValue(a) < rawValue(b); });
    try {
        for (auto kind : kinds) {
            Instant now = deps_.clock.now();
            deps_.outboxStore.enqueue(event.id, kind, encodeEventPayload(event), now);
        }
    } catch (const std::exception&) {
        // Records already written for earlier channels stay and will be sent.
        storageAvailability_ = DeliveryStorageAvailability::unavailable;
        return DeliveryEnqueueOutcome::storageUnavailable;
    }
    storageAvailability_ = DeliveryStorageAvailability::available;
    recountPending();
    return DeliveryEnqueueOutcome::queued;
}

void DeliveryManager::processDueDeliveries() {
    if (stopping_) {
        return;  // what is due goes out after the next start
    }
    auto enabled = deps_.enabledChannels();
    if (enabled.empty()) {
        // Records of disabled channels wait in pending.
        deps_.timerScheduler.cancel();
        return;
    }
    std::vector<OutboxRecord> claimed;
    try {
        claimed = deps_.outboxStore.claimDueRecords(deps_.clock.now());
    } catch (const std::exception&) {
        storageFailed();
        return;
    }
    storageSucceeded();
    for (const auto& record : claimed) {
        auto event = decodeEventPayload(record.payload);
        auto channel = deps_.channels.find(record.channel);
        if (!event) {
            handleResult(record, DeliveryResult::terminal(DeliveryFailureCode::legacyPayload));
        } else if (!enabled.contains(record.channel) || channel == deps_.channels.end()) {
            handleResult(record, DeliveryResult::terminal(DeliveryFailureCode::notConfigured));
        } else {
            waitingSends_[record.channel].push_back({record, channel->second, std::move(*event)});
        }
    }
    startWaitingSends();
}

void DeliveryManager::startWaitingSends() {
    // Once stopping, claimed records stay claimed; the next start recovers them.
    if (!stopping_) {
        auto enabled = deps_.enabledChannels();
        for (auto& [kind, waiting] : waitingSends_) {
            if (!enabled.contains(kind)) {
                // Switched off since the claim: ends like a record claimed so.
                for (const auto& next : waiting) {
                    handleResult(next.record,
                                 DeliveryResult::terminal(DeliveryFailureCode::notConfigured));
                }
                waiting.clear();
            }
            auto& inFlight = sendsInFlight_[kind];
            while (inFlight < maximumSendsInFlight && !waiting.empty()) {
                ++inFlight;
                send(std::move(waiting.front()));
                waiting.pop_front();
            }
        }
    }
    publishOutstandingSends();
}

void DeliveryManager::send(Send next) {
    deps_.blockingIO.run([weak = weak_from_this(), next = std::move(next)] {
        next.channel->send(next.event, [weak, record = next.record](DeliveryResult result) {
            if (auto self = weak.lock()) {
                self->postWeakly([record, result](DeliveryManager& manager) {
                    manager.sendEnded(record, result);
                });
            }
        });
    });
}

void DeliveryManager::sendEnded(const OutboxRecord& record, DeliveryResult result) {
    --sendsInFlight_[record.channel];
    // Once stopping, a failure is most likely the cut itself: the record stays
    // claimed, neither failed nor rescheduled, and is recovered at the next start.
    if (!stopping_ || result.kind == DeliveryResult::Kind::sent) {
        handleResult(record, result);
    }
    startWaitingSends();
}

void DeliveryManager::handleResult(const OutboxRecord& record, DeliveryResult result) {
    std::int64_t attempt = record.attempts + 1;
    try {
        if (result.kind == DeliveryResult::Kind::sent) {
            deps_.outboxStore.markSent(record.id);
        } else {
            auto code = result.failure.value_or(DeliveryFailureCode::network);
            auto delay = deps_.retryPolicy.delayAfter(attempt);
            if (result.kind == DeliveryResult::Kind::retryable && delay) {
                deps_.outboxStore.reschedule(record.id, attempt,
                                             addSeconds(deps_.clock.now(), *delay), code);
            } else {
                deps_.outboxStore.markFailed(record.id, attempt, code);
            }
        }
    } catch (const std::exception&) {
        storageFailed();
        return;
    }
    storageSucceeded();
}

void DeliveryManager::scheduleNextAttempt() {
    deps_.timerScheduler.cancel();
    if (stopping_ || deps_.enabledChannels().empty()) {
        return;
    }
    std::optional<Instant> due;
    try {
        due = deps_.outboxStore.nextDueDate();
    } catch (const std::exception&) {
        // Like any store failure: without a timer nothing would wake the
        // queue, so the count must not keep the sleep gate waiting.
        storageFailed();
        return;
    }
    if (!due) {
        return;
    }
    double delay = std::max(0.0, secondsBetween(deps_.clock.now(), *due));
    deps_.timerScheduler.schedule(deps_.queue, delay, [weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->processDueDeliveries();
        }
    });
}

void DeliveryManager::recoverInterruptedSends() {
    try {
        deps_.outboxStore.recoverInterruptedSends(deps_.clock.now());
        storageAvailability_ = DeliveryStorageAvailability::available;
    } catch (const std::exception&) {
        storageAvailability_ = DeliveryStorageAvailability::unavailable;
    }
    recountPending();
    scheduleNextAttempt();
}

void DeliveryManager::handlePathUpdate(bool satisfied) {
    if (satisfied != networkIsSatisfied_) {
        networkChanged();
    }
    bool returned = satisfied && !networkIsSatisfied_;
    networkIsSatisfied_ = satisfied;
    if (!returned) {
        return;
    }
    try {
        deps_.outboxStore.makeNetworkFailuresDue(deps_.clock.now());
    } catch (const std::exception&) {
        storageFailed();
        return;
    }
    storageAvailability_ = DeliveryStorageAvailability::available;
    processDueDeliveries();
}

void DeliveryManager::recountPending() {
    std::int64_t count = 0;
    try {
        count = deps_.outboxStore.queueSummary().pendingCount;
    } catch (const std::exception&) {
        count = 0;
    }
    setPendingCount(count);
}

void DeliveryManager::storageSucceeded() {
    storageAvailability_ = DeliveryStorageAvailability::available;
    recountPending();
    scheduleNextAttempt();
}

void DeliveryManager::storageFailed() {
    storageAvailability_ = DeliveryStorageAvailability::unavailable;
    setPendingCount(0);
    deps_.timerScheduler.cancel();
}

void DeliveryManager::setPendingCount(std::int64_t count) {
    std::lock_guard lock(pendingCountMutex_);
    pendingCount_ = count;
}

void DeliveryManager::publishOutstandingSends() {
    std::size_t count = 0;
    for (const auto& [kind, waiting] : waitingSends_) {
        count += waiting.size() + sendsInFlight_[kind];
    }
    std::lock_guard lock(sendsMutex_);
    outstandingSends_ = count;
    sendsChanged_.notify_all();
}

}  // namespace veyrune
