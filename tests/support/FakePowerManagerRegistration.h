#pragma once

#include "system/PowerManagerRegistration.h"

namespace veyrune::test {

// Counts registrations; registration succeeds while `accepts` is true.
// `sendWillSleep` plays the power manager's notice.
class FakePowerManagerRegistration final : public PowerManagerRegistration {
  public:
    bool registerForSleep(WillSleepHandler onWillSleep) override {
        ++registerCount;
        if (accepts) {
            handler = std::move(onWillSleep);
        }
        return accepts;
    }
    void deregister() override {
        ++deregisterCount;
        handler = nullptr;
    }
    bool probe() override {
        ++probeCount;
        return accepts;
    }
    void sendWillSleep(std::function<void()> allowSleep) {
        if (handler) {
            handler(std::move(allowSleep));
        }
    }

    bool accepts = true;
    int registerCount = 0;
    int deregisterCount = 0;
    int probeCount = 0;
    WillSleepHandler handler;
};

}  // namespace veyrune::test
