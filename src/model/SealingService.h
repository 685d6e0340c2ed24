#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/SerialQueue.h"
#include "delivery/DeliveryTimerScheduling.h"
#include "seal/Sealer.h"
#include "system/WakeNotificationSource.h"

namespace veyrune {

// Runs a Sealer on its own serial queue, which must sit on the blocking pool
// (every call fsyncs): a tick at start, one wall-clock timer per epoch end
// re-armed after every tick and wake, close() before sleep and at quit. A
// failure goes to `report` (on the queue) and the next tick repairs it.
// Thread-safe; everything given must outlive it.
class SealingService {
  public:
    using Report = std::function<void(const std::string& error)>;

    SealingService(Sealer& sealer, SerialQueue& queue, DeliveryTimerScheduling& timer,
                   WakeNotificationSource* wake, const Clock& clock, Report report);
    ~SealingService();
    SealingService(const SealingService&) = delete;
    SealingService& operator=(const SealingService&) = delete;

    // Seals what is due and arms the timer, then runs `sealed` on the queue:
    // start appending to the log only then.
    void start(std::function<void()> sealed = {});
    // Switches sealing on; `shown` gets the verification key (nothing on a
    // failure), on the queue, and must not keep it.
    void enable(std::function<void(std::optional<VerificationKey>)> shown);
    // Switches sealing off: the key file goes, the seals stay.
    void disable(std::function<void()> done = {});
    // Seals the current epoch as closing; `done` runs on the queue afterwards.
    void close(std::function<void()> done);
    // The last failure's text; empty when the last call succeeded.
    std::string lastError() const;

  private:
    void tickAndArm();
    void arm();
    // Runs `work`, reporting a failure; a success clears the last error if `clearsError`.
    bool attempt(const std::function<void()>& work, bool clearsError = true);

    Sealer& sealer_;
    SerialQueue& queue_;
    DeliveryTimerScheduling& timer_;
    WakeNotificationSource* wake_;
    const Clock& clock_;
    Report report_;
    mutable std::mutex mutex_;
    std::string lastError_;  // guarded by mutex_
};

}  // namespace veyrune
