#include "credentials/TelegramConfigurationStore.h"

#include <array>

#include "credentials/TelegramConfigurationError.h"

namespace veyrune {

namespace {

constexpr const char* kLegacyTokenKey = "telegramToken";
constexpr const char* kLegacyChatIDKey = "telegramChatID";
constexpr std::array<const char*, 7> kRemovedEmailKeys = {
    "enableSMTP", "smtpHost", "smtpPort", "smtpUsername", "smtpPassword", "smtpFrom", "smtpTo"};

}  // namespace

TelegramConfigurationStore::TelegramConfigurationStore(Preferences& defaults,
                                                       KeychainStore& keychain)
    : defaults_(defaults), keychain_(keychain) {}

std::optional<TelegramCredentials> TelegramConfigurationStore::loadCredentials() const {
    auto token = keychain_.string(KeychainKey::telegramBotToken);
    if (!token) {
        return std::nullopt;
    }
    auto chatID = keychain_.string(KeychainKey::telegramChatID);
    if (!chatID || token->empty() || chatID->empty()) {
        return std::nullopt;
    }
    return TelegramCredentials{*token, *chatID};
}

std::optional<TelegramCredentials> TelegramConfigurationStore::credentialsIfReadable()
    const noexcept {
    try {
        return loadCredentials();
    } catch (...) {
        return std::nullopt;
    }
}

void TelegramConfigurationStore::save(const std::string& token, const std::string& chatID) {
    if (token.empty()) {
        throw TelegramConfigurationError(TelegramConfigurationError::Code::emptyToken);
    }
    if (chatID.empty()) {
        throw TelegramConfigurationError(TelegramConfigurationError::Code::emptyChatID);
    }
    keychain_.set(token, KeychainKey::telegramBotToken);
    keychain_.set(chatID, KeychainKey::telegramChatID);
}

void TelegramConfigurationStore::migrateLegacyPreferences() {
    for (const char* key : kRemovedEmailKeys) {
        defaults_.remove(key);
    }
    moveLegacyPreference(kLegacyTokenKey, KeychainKey::telegramBotToken);
    moveLegacyPreference(kLegacyChatIDKey, KeychainKey::telegramChatID);
}

void TelegramConfigurationStore::moveLegacyPreference(const std::string& preferenceKey,
                                                      KeychainKey key) {
    if (keychain_.string(key)) {
        defaults_.remove(preferenceKey);
        return;
    }
    auto legacy = defaults_.stringValue(preferenceKey);
    if (!legacy || legacy->empty()) {
        return;
    }
    keychain_.set(*legacy, key);
    defaults_.remove(preferenceKey);
}

ChannelSetupState TelegramConfigurationStore::status(bool isEnabled) {
    return channelSetupState(isEnabled, [this] {
        migrateLegacyPreferences();
        return loadCredentials().has_value();
    });
}

void TelegramConfigurationStore::removeCredentials() {
    // The plain-text copies go first: they must not outlive a keyring failure.
    defaults_.remove(kLegacyTokenKey);
    defaults_.remove(kLegacyChatIDKey);
    keychain_.removeValue(KeychainKey::telegramBotToken);
    keychain_.removeValue(KeychainKey::telegramChatID);
}

}  // namespace veyrune
