#pragma once

#include <functional>
#include <mutex>

#include "system/WakeNotificationSource.h"

namespace veyrune::test {

// A wake source the test triggers by hand, calling the observer on its thread.
class FakeWakeNotificationSource final : public WakeNotificationSource {
  public:
    void observeWake(std::function<void()> handler) override {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    void stopObservingWake() override {
        std::lock_guard lock(mutex_);
        handler_ = nullptr;
    }
    void wake() {
        std::function<void()> handler;
        {
            std::lock_guard lock(mutex_);
            handler = handler_;
        }
        if (handler) {
            handler();
        }
    }
    bool isObserved() const {
        std::lock_guard lock(mutex_);
        return bool(handler_);
    }

  private:
    mutable std::mutex mutex_;
    std::function<void()> handler_;  // guarded by mutex_
};

}  // namespace veyrune::test
