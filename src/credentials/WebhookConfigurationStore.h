#pragma once

#include <optional>
#include <string>

#include "channels/WebhookCredentials.h"
#include "credentials/ChannelSetupState.h"
#include "credentials/KeychainStore.h"

namespace veyrune {

// Validates, saves, loads and removes the webhook credentials in the keyring.
// Holds a reference: the keychain must outlive it. Keyring failures pass on as
// KeychainStoreError.
class WebhookConfigurationStore {
  public:
    explicit WebhookConfigurationStore(KeychainStore& keychain);

    // Nothing when no endpoint is stored or it no longer parses as a URL.
    std::optional<WebhookCredentials> loadCredentials() const;
    // The same with any read failure as nothing: the channel's view.
    std::optional<WebhookCredentials> credentialsIfReadable() const noexcept;
    // Trims the endpoint, requires an HTTPS URL with a host (else throws
    // WebhookConfigurationError) and stores it; stores a non-empty
    // authorization value as given and removes an empty or absent one.
    void save(const std::string& endpoint, const std::optional<std::string>& authorizationHeader);
    ChannelSetupState status(bool isEnabled) const;
    void removeCredentials();

  private:
    KeychainStore& keychain_;
};

// The text without white space and line breaks (Unicode White_Space) at either end.
std::string trimmedWhiteSpace(const std::string& text);

}  // namespace veyrune
