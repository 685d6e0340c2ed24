#pragma once

#include <functional>

namespace veyrune {

// Tells when the system woke from sleep (logind PrepareForSleep(false) on Linux).
class WakeNotificationSource {
  public:
    virtual ~WakeNotificationSource() = default;
    // Calls `handler`, on any thread, after each wake. One observer at a time.
    virtual void observeWake(std::function<void()> handler) = 0;
    // Drops the observer; it is not called afterwards.
    virtual void stopObservingWake() = 0;
};

}  // namespace veyrune
