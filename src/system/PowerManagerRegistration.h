#pragma once

#include <functional>

namespace veyrune {

// The system power manager as the sleep hold needs it. The Linux binding holds
// a logind delay inhibitor; allowing sleep releases it.
class PowerManagerRegistration {
  public:
    // Called when the system is about to sleep, with the acknowledgement that
    // lets it sleep; the system waits (within its own limit) until it runs once.
    using WillSleepHandler = std::function<void(std::function<void()> allowSleep)>;

    virtual ~PowerManagerRegistration() = default;
    // Starts delivering will-sleep notices to `onWillSleep`. False on failure.
    virtual bool registerForSleep(WillSleepHandler onWillSleep) = 0;
    // Undoes a successful registration.
    virtual void deregister() = 0;
    // Whether registration is possible, tried without staying registered.
    virtual bool probe() = 0;
};

}  // namespace veyrune
