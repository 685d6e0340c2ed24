#pragma once

#include <QDBusConnection>
#include <cstdint>
#include <memory>
#include <optional>

#include "system/PowerManagerRegistration.h"
#include "system/linux/DBusSignalSubscription.h"
#include "system/linux/LogindInhibitor.h"

namespace veyrune {

// The sleep hold as a logind delay inhibitor: registering takes
// Inhibit("sleep", "Veyrune", "Sending queued alerts before sleep", "delay");
// PrepareForSleep(true) calls the will-sleep handler with an `allowSleep` that
// closes the inhibitor's descriptor exactly once (from any thread); after the
// wake a new inhibitor is taken. logind itself lets the system sleep after
// InhibitDelayMaxUSec; a limit below 5 seconds is logged as a warning at
// registration. Main thread.
class LogindSleepInhibitor final : public PowerManagerRegistration {
  public:
    explicit LogindSleepInhibitor(QDBusConnection systemBus);
    ~LogindSleepInhibitor() override;

    bool registerForSleep(WillSleepHandler onWillSleep) override;
    void deregister() override;
    // Whether logind answers CanSuspend and grants (then drops) an inhibitor.
    bool probe() override;

    // Whether an inhibitor is held now.
    bool isHoldingSleep() const;
    // logind's longest delay, read at registration; nothing when unknown.
    std::optional<std::uint64_t> inhibitDelayMaxUSec() const { return inhibitDelayMax_; }

  private:
    void prepareForSleep(bool sleeping);
    void checkDelayLimit();

    QDBusConnection systemBus_;
    WillSleepHandler onWillSleep_;
    std::shared_ptr<LogindInhibitor> inhibitor_;
    std::unique_ptr<DBusSignalSubscription> subscription_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::optional<std::uint64_t> inhibitDelayMax_;
};

}  // namespace veyrune
