#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Instant.h"
#include "model/UpdateFramework.h"

namespace veyrune {

enum class UpdateCheckFrequency { daily, weekly };

// "Daily" / "Weekly".
const char* title(UpdateCheckFrequency frequency);
// 86400 / 604800 seconds.
double interval(UpdateCheckFrequency frequency);

// The thin model around the update framework. Without an update-signing key
// the build cannot update itself (distribution packages update it): the model
// is not configured, creates no framework and offers no update action.
// Main thread.
class UpdaterModel : public std::enable_shared_from_this<UpdaterModel> {
  public:
    using FrameworkFactory = std::function<std::unique_ptr<UpdateFramework>()>;

    // `makeFramework` is called once, only when `signingKey` is non-empty.
    static std::shared_ptr<UpdaterModel> make(const std::string& signingKey,
                                              FrameworkFactory makeFramework);

    bool isConfigured() const { return framework_ != nullptr; }
    bool automaticallyChecksForUpdates() const { return automaticallyChecks_; }
    UpdateCheckFrequency checkFrequency() const { return checkFrequency_; }
    std::optional<Instant> lastCheckDate() const { return lastCheckDate_; }

    void setAutomaticallyChecksForUpdates(bool on);
    void setCheckFrequency(UpdateCheckFrequency frequency);
    void refreshLastCheckDate();
    // Does nothing when not configured.
    void checkForUpdates();

  private:
    UpdaterModel() = default;
    void attach(std::unique_ptr<UpdateFramework> framework);

    std::unique_ptr<UpdateFramework> framework_;
    bool automaticallyChecks_ = false;
    UpdateCheckFrequency checkFrequency_ = UpdateCheckFrequency::daily;
    std::optional<Instant> lastCheckDate_;
};

}  // namespace veyrune
