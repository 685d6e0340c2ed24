#pragma once

#include "model/LaunchAtLoginService.h"

namespace veyrune {

enum class LaunchAtLoginState { enabled, disabled, requiresApproval, operationFailed };

// The "Start at login" control's state over the platform service, which must
// outlive it. Main thread.
class LaunchAtLoginSettingsModel {
  public:
    explicit LaunchAtLoginSettingsModel(LaunchAtLoginService& service);

    LaunchAtLoginState state() const { return state_; }
    void refresh();
    // On failure the state is `operationFailed` until the next refresh.
    void setEnabled(bool on);

  private:
    LaunchAtLoginService& service_;
    LaunchAtLoginState state_ = LaunchAtLoginState::disabled;
};

}  // namespace veyrune
