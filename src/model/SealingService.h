#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/SerialQueue.h"
#include "delivery/DeliveryTimerScheduling.h"
#include "model/SettingsBridge.h"
#include "seal/Sealer.h"
#include "system/WakeNotificationSource.h"

namespace veyrune {

// Runs a Sealer on its own serial queue, which must sit on the blocking pool
// (every call fsyncs): a tick at start, one wall-clock timer per epoch end
// re-armed after every tick and wake, close() before sleep and at quit. A
// failure goes to `report` (on the queue) and lastError(); the next tick
// repairs it. After each step the switch ("Seal the event log" in
// `sealSwitch`, when given) is set to whether sealing runs, which is whether
// the key file can be read: a key file gone or damaged turns it off with the
// reason in lastError(). Thread-safe; everything given must outlive it.
class SealingService {
  public:
    using Report = std::function<void(const std::string& error)>;

    SealingService(Sealer& sealer, SerialQueue& queue, DeliveryTimerScheduling& timer,
                   WakeNotificationSource* wake, const Clock& clock, Report report,
                   SettingsBridge* sealSwitch = nullptr);
    ~SealingService();
    SealingService(const SealingService&) = delete;
    SealingService& operator=(const SealingService&) = delete;

    // `ticked` runs on the queue after every timed or wake-up seal, so those
    // who follow the seals file need not poll it. Call before start().
    void afterEveryTick(std::function<void()> ticked) { ticked_ = std::move(ticked); }
    // Seals what is due and arms the timer, then runs `sealed` on the queue:
    // start appending to the log only then.
    void start(std::function<void()> sealed = {});
    // Switches sealing on; `shown` gets the verification key (nothing on a
    // failure), on the queue, and must not keep it.
    void enable(std::function<void(std::optional<VerificationKey>)> shown);
    // Switches sealing off: seals what is there, the key file goes, the seals stay.
    void disable(std::function<void()> done = {});
    // Seals the current epoch as closing; `done` runs on the queue afterwards.
    void close(std::function<void()> done);
    // Empty while sealing runs well or is off by the user's choice. Otherwise
    // one sentence: why sealing stopped (the key file gone or unreadable) or
    // what failed last (a file that could not be written, with its path and
    // cause). Never holds a key. Cleared by a successful seal, switching on
    // or switching off.
    std::string lastError() const;
    // Whether the key file could be read at the last look.
    bool isSealing() const;

  private:
    void tickAndArm();
    void arm();
    // Runs `work`; its failure's text, reported.
    std::optional<std::string> run(const std::function<void()>& work);
    // Brings the switch and the last error in line with the key file after
    // `failure` (nothing: the work succeeded).
    void settle(std::optional<std::string> failure);
    void setError(const std::string& error);

    Sealer& sealer_;
    SerialQueue& queue_;
    DeliveryTimerScheduling& timer_;
    WakeNotificationSource* wake_;
    const Clock& clock_;
    Report report_;
    std::function<void()> ticked_;
    SettingsBridge* switch_;
    // Switching on or off asked for and not yet run: the switch already
    // shows the user's choice, so it is not set back meanwhile.
    std::atomic<int> pendingSwitches_{0};
    mutable std::mutex mutex_;
    std::string lastError_;  // guarded by mutex_
    bool sealing_ = false;   // guarded by mutex_
};

}  // namespace veyrune
