#pragma once

#include <functional>
#include <optional>

#include "base/Instant.h"

namespace veyrune {

// A self-updating framework as the updater model drives it: it checks,
// downloads, verifies and installs on its own and keeps its own settings.
// Main thread.
class UpdateFramework {
  public:
    virtual ~UpdateFramework() = default;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    // Seconds between automatic checks.
    virtual double updateCheckInterval() const = 0;
    virtual void setUpdateCheckInterval(double seconds) = 0;
    virtual std::optional<Instant> lastUpdateCheckDate() const = 0;
    // A check the user asked for, with the framework's own windows.
    virtual void checkForUpdates() = 0;
    // `finished` runs on the main thread after every check cycle.
    virtual void onUpdateCycleFinished(std::function<void()> finished) = 0;
};

}  // namespace veyrune
