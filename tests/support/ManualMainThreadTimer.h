#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "system/MainThreadTimer.h"

namespace veyrune::test {

// Holds the one pending handler until the test fires it. Main thread.
class ManualMainThreadTimer final : public MainThreadTimer {
  public:
    void start(std::chrono::milliseconds delay, std::function<void()> handler) override {
        delay_ = delay;
        handler_ = std::move(handler);
    }
    void cancel() override { handler_ = nullptr; }

    bool isPending() const { return static_cast<bool>(handler_); }
    // The delay of the last start.
    std::optional<std::chrono::milliseconds> delay() const { return delay_; }
    // Runs the pending handler as the timer would; false when none is pending.
    bool fire() {
        auto handler = std::move(handler_);
        handler_ = nullptr;
        if (!handler) {
            return false;
        }
        handler();
        return true;
    }

  private:
    std::optional<std::chrono::milliseconds> delay_;
    std::function<void()> handler_;
};

}  // namespace veyrune::test
