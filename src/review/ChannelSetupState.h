#pragma once

#include "delivery/ChannelSetupState.h"
#include "review/ChannelCredentialsSource.h"

namespace veyrune {

// Reads the credentials only when the switch is on; a read error becomes
// `unavailable`. Never throws.
ChannelSetupState channelSetupState(bool isEnabled, const ChannelCredentialsSource& credentials);

}  // namespace veyrune
