#pragma once

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "delivery/DeliveryChannel.h"

namespace veyrune::test {

// A channel that answers each send with the next scripted result (sent when the
// script is empty) and remembers what it was asked to send. Held, it keeps the
// answers back like a server that has not replied yet; cancelled, like the real
// channels, it ends held and later sends with a network failure. Thread-safe.
class FakeDeliveryChannel final : public DeliveryChannel {
  public:
    explicit FakeDeliveryChannel(DeliveryChannelKind kind, bool configured = true)
        : kind_(kind), configured_(configured) {}

    DeliveryChannelKind kind() const override { return kind_; }
    bool isConfigured() const override {
        std::lock_guard lock(mutex_);
        return configured_;
    }
    void send(const SecurityEvent& event, Completion completion) override {
        DeliveryResult result = DeliveryResult::sent();
        {
            std::lock_guard lock(mutex_);
            sent_.push_back(event);
            if (!script_.empty()) {
                result = script_.front();
                script_.pop_front();
            }
            if (cancelled_) {
                result = DeliveryResult::retryable(DeliveryFailureCode::network);
            } else if (holding_) {
                held_.emplace_back(std::move(completion), result);
                return;
            }
        }
        completion(result);
    }
    void cancelSends() override {
        std::deque<std::pair<Completion, DeliveryResult>> held;
        {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
            held.swap(held_);
        }
        for (auto& [completion, result] : held) {
            completion(DeliveryResult::retryable(DeliveryFailureCode::network));
        }
    }
    void networkChanged() override {
        std::lock_guard lock(mutex_);
        ++networkChanges_;
    }

    void setConfigured(bool configured) {
        std::lock_guard lock(mutex_);
        configured_ = configured;
    }
    void answer(DeliveryResult result, int times = 1) {
        std::lock_guard lock(mutex_);
        script_.insert(script_.end(), std::size_t(times), result);
    }
    void hold() {
        std::lock_guard lock(mutex_);
        holding_ = true;
    }
    // Answers the held sends and stops holding.
    void release() {
        std::deque<std::pair<Completion, DeliveryResult>> held;
        {
            std::lock_guard lock(mutex_);
            holding_ = false;
            held.swap(held_);
        }
        for (auto& [completion, result] : held) {
            completion(result);
        }
    }
    std::size_t heldCount() const {
        std::lock_guard lock(mutex_);
        return held_.size();
    }
    std::vector<SecurityEvent> sentEvents() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    int networkChanges() const {
        std::lock_guard lock(mutex_);
        return networkChanges_;
    }

  private:
    DeliveryChannelKind kind_;
    mutable std::mutex mutex_;
    bool configured_;                                         // guarded by mutex_
    bool holding_ = false;                                    // guarded by mutex_
    bool cancelled_ = false;                                  // guarded by mutex_
    int networkChanges_ = 0;                                  // guarded by mutex_
    std::deque<DeliveryResult> script_;                       // guarded by mutex_
    std::deque<std::pair<Completion, DeliveryResult>> held_;  // guarded by mutex_
    std::vector<SecurityEvent> sent_;                         // guarded by mutex_
};

}  // namespace veyrune::test
