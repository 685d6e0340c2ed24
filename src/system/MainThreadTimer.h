#pragma once

#include <chrono>
#include <functional>

namespace veyrune {

// A one-shot timer on the main thread that holds at most one pending handler.
// Main thread only.
class MainThreadTimer {
  public:
    virtual ~MainThreadTimer() = default;
    // Drops any pending handler, then runs `handler` once on the main thread
    // after `delay`.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> handler) = 0;
    // The pending handler, if any, never runs.
    virtual void cancel() = 0;
};

}  // namespace veyrune
