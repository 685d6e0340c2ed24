#pragma once

#include <optional>
#include <string>

#include "base/Preferences.h"
#include "channels/TelegramCredentials.h"
#include "credentials/ChannelSetupState.h"
#include "credentials/KeychainStore.h"

namespace veyrune {

// Validates, saves, loads, migrates and removes the Telegram credentials. The
// secrets live only in the keyring; older versions kept them in preferences,
// which `migrateLegacyPreferences` empties. Holds references: both
// collaborators must outlive it. Keyring failures pass on as KeychainStoreError.
class TelegramConfigurationStore {
  public:
    TelegramConfigurationStore(Preferences& defaults, KeychainStore& keychain);

    // Both items present and non-empty, or nothing.
    std::optional<TelegramCredentials> loadCredentials() const;
    // The same with any read failure as nothing: the channel's view.
    std::optional<TelegramCredentials> credentialsIfReadable() const noexcept;
    // Stores the token, then the chat ID, exactly as given. Throws
    // TelegramConfigurationError when either is empty; a failure after the
    // token was stored leaves it stored.
    void save(const std::string& token, const std::string& chatID);
    // Drops the e-mail channel's preferences and moves "telegramToken" and
    // "telegramChatID" into the keyring. Stops at the first keyring error.
    void migrateLegacyPreferences();
    ChannelSetupState status(bool isEnabled);
    // Removes both items and the legacy preferences.
    void removeCredentials();

  private:
    void moveLegacyPreference(const std::string& preferenceKey, KeychainKey key);

    Preferences& defaults_;
    KeychainStore& keychain_;
};

}  // namespace veyrune
