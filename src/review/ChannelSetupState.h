#pragma once

#include "review/ChannelCredentialsSource.h"

namespace veyrune {

// One alert channel as diagnostics sees it.
enum class ChannelSetupState {
    disabled,       // the channel's switch is off
    configured,     // credentials are stored
    notConfigured,  // switch on, nothing stored
    unavailable,    // reading the stored credentials failed
};

// Reads the credentials only when the switch is on; a read error becomes
// `unavailable`. Never throws.
ChannelSetupState channelSetupState(bool isEnabled, const ChannelCredentialsSource& credentials);

}  // namespace veyrune
