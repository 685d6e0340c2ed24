#pragma once

#include "system/PowerManagerRegistration.h"

namespace veyrune {

// Keeps one registration for will-sleep notices for its whole life. Main thread.
// `power` must outlive it.
class SystemPowerSleepNotifier {
  public:
    SystemPowerSleepNotifier(PowerManagerRegistration& power,
                             PowerManagerRegistration::WillSleepHandler onWillSleep);
    ~SystemPowerSleepNotifier();
    SystemPowerSleepNotifier(const SystemPowerSleepNotifier&) = delete;
    SystemPowerSleepNotifier& operator=(const SystemPowerSleepNotifier&) = delete;

    // True when registered, already or now. A failed start may be retried.
    bool start();
    bool isRegistered() const { return registered_; }

  private:
    PowerManagerRegistration& power_;
    PowerManagerRegistration::WillSleepHandler onWillSleep_;
    bool registered_ = false;
};

}  // namespace veyrune
