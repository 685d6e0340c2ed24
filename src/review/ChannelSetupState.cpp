#include "review/ChannelSetupState.h"

namespace veyrune {

ChannelSetupState channelSetupState(bool isEnabled, const ChannelCredentialsSource& credentials) {
    if (!isEnabled) {
        return ChannelSetupState::disabled;
    }
    try {
        return credentials.loadCredentials() ? ChannelSetupState::configured
                                             : ChannelSetupState::notConfigured;
    } catch (...) {
        // The cause is not shown; the row only says the configuration is unavailable.
        return ChannelSetupState::unavailable;
    }
}

}  // namespace veyrune
