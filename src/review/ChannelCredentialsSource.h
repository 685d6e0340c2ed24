#pragma once

namespace veyrune {

// The stored credentials of one alert channel, as diagnostics needs them.
// Adapts the channel's credential store.
class ChannelCredentialsSource {
  public:
    virtual ~ChannelCredentialsSource() = default;
    // Loads the stored credentials: true when present, false when none are
    // stored. Throws (any exception) when the store cannot be read.
    virtual bool loadCredentials() const = 0;
};

}  // namespace veyrune
