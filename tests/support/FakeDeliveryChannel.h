#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "delivery/DeliveryChannel.h"

namespace veyrune::test {

// A channel that answers each send with the next scripted result (sent when the
// script is empty) and remembers what it was asked to send. Thread-safe.
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
        }
        completion(result);
    }

    void setConfigured(bool configured) {
        std::lock_guard lock(mutex_);
        configured_ = configured;
    }
    void answer(DeliveryResult result, int times = 1) {
        std::lock_guard lock(mutex_);
        script_.insert(script_.end(), std::size_t(times), result);
    }
    std::vector<SecurityEvent> sentEvents() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }

  private:
    DeliveryChannelKind kind_;
    mutable std::mutex mutex_;
    bool configured_;                    // guarded by mutex_
    std::deque<DeliveryResult> script_;  // guarded by mutex_
    std::vector<SecurityEvent> sent_;    // guarded by mutex_
};

}  // namespace veyrune::test
