#pragma once

#include <exception>
#include <string_view>

namespace veyrune {

// What the alerts settings form tells the user when saving or removing
// channel credentials fails.
enum class CredentialMessage {
    insecureEndpoint,
    invalidEndpoint,
    webhookSaveFailed,
    telegramSaveFailed,
    webhookRemoveFailed,
    telegramRemoveFailed,
};

std::string_view messageText(CredentialMessage message);

// The message for an error thrown by WebhookConfigurationStore::save.
CredentialMessage webhookSaveMessage(const std::exception& error);

}  // namespace veyrune
