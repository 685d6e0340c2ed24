#include "model/LaunchAtLoginSettingsModel.h"

namespace veyrune {

LaunchAtLoginSettingsModel::LaunchAtLoginSettingsModel(LaunchAtLoginService& service)
    : service_(service) {
    refresh();
}

void LaunchAtLoginSettingsModel::refresh() {
    switch (service_.status()) {
        case LaunchAtLoginService::Status::enabled:
            state_ = LaunchAtLoginState::enabled;
            return;
        case LaunchAtLoginService::Status::requiresApproval:
            state_ = LaunchAtLoginState::requiresApproval;
            return;
        case LaunchAtLoginService::Status::notRegistered:
            break;
    }
    state_ = LaunchAtLoginState::disabled;
}

void LaunchAtLoginSettingsModel::setEnabled(bool on) {
    try {
        service_.setEnabled(on);
    } catch (...) {
        state_ = LaunchAtLoginState::operationFailed;
        return;
    }
    refresh();
}

}  // namespace veyrune
