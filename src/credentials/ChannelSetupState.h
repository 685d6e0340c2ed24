#pragma once

#include <functional>

namespace veyrune {

// One alert channel as diagnostics sees it: switched off, credentials stored,
// switched on without credentials, or the stored credentials could not be read.
enum class ChannelSetupState { disabled, configured, notConfigured, unavailable };

// The state of a channel whose switch is `isEnabled`. `loadCredentials` runs
// only when the switch is on: true when credentials are stored, false when
// none are; anything it throws becomes `unavailable`. Never throws.
ChannelSetupState channelSetupState(bool isEnabled, const std::function<bool()>& loadCredentials);

}  // namespace veyrune
