#include "system/SystemPowerSleepNotifier.h"

namespace veyrune {

SystemPowerSleepNotifier::SystemPowerSleepNotifier(
    PowerManagerRegistration& power, PowerManagerRegistration::WillSleepHandler onWillSleep)
    : power_(power), onWillSleep_(std::move(onWillSleep)) {}

SystemPowerSleepNotifier::~SystemPowerSleepNotifier() {
    if (registered_) {
        power_.deregister();
    }
}

bool SystemPowerSleepNotifier::start() {
    if (!registered_) {
        registered_ = power_.registerForSleep(onWillSleep_);
    }
    return registered_;
}

}  // namespace veyrune
