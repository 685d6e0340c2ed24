#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>

#include "evidence/CaptureTimerScheduling.h"

namespace veyrune::test {

// Timers on a test-driven clock: `advance` posts every handler that falls due
// to its queue, in due order. Thread-safe.
class ManualCaptureTimerScheduler final : public CaptureTimerScheduling {
  public:
    std::shared_ptr<CaptureTimer> schedule(SerialQueue& queue, std::chrono::milliseconds delay,
                                           std::function<void()> handler) override {
        std::lock_guard lock(state_->mutex);
        auto id = state_->nextID++;
        state_->pending.emplace(std::make_pair(state_->now + delay, id),
                                Pending{&queue, std::move(handler)});
        return std::make_shared<Timer>(state_, std::make_pair(state_->now + delay, id));
    }

    void advance(std::chrono::milliseconds step) {
        std::chrono::milliseconds target;
        {
            std::lock_guard lock(state_->mutex);
            target = state_->now + step;
        }
        for (;;) {
            Pending due;
            {
                std::lock_guard lock(state_->mutex);
                auto first = state_->pending.begin();
                if (first == state_->pending.end() || first->first.first > target) {
                    state_->now = target;
                    return;
                }
                state_->now = first->first.first;
                due = std::move(first->second);
                state_->pending.erase(first);
            }
            due.queue->post(std::move(due.handler));
        }
    }
    std::size_t pendingCount() const {
        std::lock_guard lock(state_->mutex);
        return state_->pending.size();
    }
    std::chrono::milliseconds now() const {
        std::lock_guard lock(state_->mutex);
        return state_->now;
    }

  private:
    using Key = std::pair<std::chrono::milliseconds, int>;
    struct Pending {
        SerialQueue* queue = nullptr;
        std::function<void()> handler;
    };
    struct State {
        std::mutex mutex;
        std::chrono::milliseconds now{0};  // guarded by mutex
        int nextID = 0;                    // guarded by mutex
        std::map<Key, Pending> pending;    // guarded by mutex
    };
    class Timer final : public CaptureTimer {
      public:
        Timer(std::shared_ptr<State> state, Key key) : state_(std::move(state)), key_(key) {}
        void cancel() override {
            std::lock_guard lock(state_->mutex);
            state_->pending.erase(key_);
        }

      private:
        std::shared_ptr<State> state_;
        Key key_;
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace veyrune::test
