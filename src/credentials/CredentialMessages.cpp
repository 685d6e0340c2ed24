#include "credentials/CredentialMessages.h"

#include <array>
#include <utility>

#include "credentials/WebhookConfigurationError.h"

namespace veyrune {

namespace {

constexpr std::array<std::pair<CredentialMessage, std::string_view>, 6> kMessages = {{
    {CredentialMessage::insecureEndpoint, "The endpoint must use HTTPS."},
    {CredentialMessage::invalidEndpoint, "That does not look like a valid URL."},
    {CredentialMessage::webhookSaveFailed, "Unable to save webhook configuration."},
    {CredentialMessage::telegramSaveFailed, "Unable to save Telegram configuration."},
    {CredentialMessage::webhookRemoveFailed, "Unable to remove webhook credentials."},
    {CredentialMessage::telegramRemoveFailed, "Unable to remove Telegram credentials."},
}};

}  // namespace

std::string_view messageText(CredentialMessage message) {
    for (const auto& [which, text] : kMessages) {
        if (which == message) {
            return text;
        }
    }
    return {};
}

CredentialMessage webhookSaveMessage(const std::exception& error) {
    const auto* configuration = dynamic_cast<const WebhookConfigurationError*>(&error);
    if (configuration == nullptr) {
        return CredentialMessage::webhookSaveFailed;
    }
    if (configuration->code() == WebhookConfigurationError::Code::insecureEndpoint) {
        return CredentialMessage::insecureEndpoint;
    }
    return CredentialMessage::invalidEndpoint;
}

}  // namespace veyrune
