#pragma once

#include <QDBusConnection>
#include <functional>
#include <memory>
#include <mutex>

#include "system/WakeNotificationSource.h"
#include "system/linux/DBusSignalSubscription.h"

namespace veyrune {

// Wakes are logind's PrepareForSleep(false) from the owner of login1. Built and
// destroyed on the main thread, where the handler runs; `observeWake` and
// `stopObservingWake` may be called from any thread.
class LogindWakeNotificationSource final : public WakeNotificationSource {
  public:
    explicit LogindWakeNotificationSource(QDBusConnection systemBus);

    void observeWake(std::function<void()> handler) override;
    void stopObservingWake() override;

  private:
    void woke();

    std::unique_ptr<DBusSignalSubscription> subscription_;
    std::mutex mutex_;
    std::function<void()> handler_;  // guarded by mutex_
};

}  // namespace veyrune
