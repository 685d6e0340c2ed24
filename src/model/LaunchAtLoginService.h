#pragma once

namespace veyrune {

// The platform's start-at-login switch for Veyrune.
class LaunchAtLoginService {
  public:
    enum class Status { enabled, requiresApproval, notRegistered };

    virtual ~LaunchAtLoginService() = default;
    virtual Status status() const = 0;
    // Throws (any exception) when the switch cannot be changed.
    virtual void setEnabled(bool enabled) = 0;
};

}  // namespace veyrune
