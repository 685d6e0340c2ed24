#pragma once

#include <array>
#include <string_view>

namespace veyrune {

// The secrets Veyrune keeps; each is one keyring item under its account name.
enum class KeychainKey {
    telegramBotToken,
    telegramChatID,
    webhookEndpointURL,
    webhookAuthorizationHeader,
};

inline constexpr std::array<KeychainKey, 4> allKeychainKeys = {
    KeychainKey::telegramBotToken, KeychainKey::telegramChatID, KeychainKey::webhookEndpointURL,
    KeychainKey::webhookAuthorizationHeader};

// "telegram.bot-token", "telegram.chat-id", "webhook.endpoint-url",
// "webhook.authorization-header".
inline std::string_view accountName(KeychainKey key) {
    static constexpr std::array<std::string_view, 4> kNames = {
        "telegram.bot-token", "telegram.chat-id", "webhook.endpoint-url",
        "webhook.authorization-header"};
    return kNames[static_cast<std::size_t>(key)];
}

}  // namespace veyrune
