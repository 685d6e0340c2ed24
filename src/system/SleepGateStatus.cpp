#include "system/SleepGateStatus.h"

namespace veyrune {

SleepGateStatus::SleepGateStatus(std::function<bool()> probe) : probe_(std::move(probe)) {}

void SleepGateStatus::record(bool registered) {
    std::lock_guard lock(mutex_);
    recorded_ = registered;
}

bool SleepGateStatus::isAvailable() {
    {
        std::lock_guard lock(mutex_);
        if (recorded_) {
            return *recorded_;
        }
        if (cachedCapability_) {
            return *cachedCapability_;
        }
    }
    const bool probed = probe_();
    std::lock_guard lock(mutex_);
    if (!cachedCapability_) {
        cachedCapability_ = probed;
    }
    return recorded_ ? *recorded_ : *cachedCapability_;
}

}  // namespace veyrune
