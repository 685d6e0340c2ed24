#include "credentials/ChannelSetupState.h"

namespace veyrune {

ChannelSetupState channelSetupState(bool isEnabled, const std::function<bool()>& loadCredentials) {
    if (!isEnabled) {
        return ChannelSetupState::disabled;
    }
    try {
        return loadCredentials() ? ChannelSetupState::configured : ChannelSetupState::notConfigured;
    } catch (...) {
        // The cause is not shown; the row only says the configuration is unavailable.
        return ChannelSetupState::unavailable;
    }
}

}  // namespace veyrune
