#pragma once

#include <functional>
#include <mutex>
#include <optional>

namespace veyrune {

// Whether the system's sleep can be held, for diagnostics. A recorded
// registration result wins over the probe. One per process; any thread.
class SleepGateStatus {
  public:
    // `probe` tries a registration with the power manager and undoes it.
    explicit SleepGateStatus(std::function<bool()> probe);

    // The result of the real registration of the sleep notifier.
    void record(bool registered);
    // The recorded result, else the probe's (run at most once unless two first
    // callers race; the probe runs outside the lock and the first result stays).
    bool isAvailable();

  private:
    std::function<bool()> probe_;
    std::mutex mutex_;
    std::optional<bool> recorded_;          // guarded by mutex_
    std::optional<bool> cachedCapability_;  // guarded by mutex_
};

}  // namespace veyrune
