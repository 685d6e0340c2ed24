#pragma once

namespace veyrune {

// One alert channel as diagnostics sees it: switched off, credentials stored,
// switched on without credentials, or the stored credentials could not be read.
enum class ChannelSetupState { disabled, configured, notConfigured, unavailable };

}  // namespace veyrune
