#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "base/TaskPool.h"
#include "channels/AlertTextFormatter.h"
#include "channels/TelegramCredentials.h"
#include "channels/TelegramTransport.h"
#include "delivery/DeliveryChannel.h"

namespace veyrune {

// Sends an alert as a Telegram chat message through the Bot API's sendMessage.
// Each send reads the credentials and performs the blocking exchange on the
// task pool, then calls the completion there. Never throws.
class TelegramChannel final : public DeliveryChannel {
  public:
    // Reads the stored credentials; nothing when absent or unreadable. Called
    // from the caller's thread (isConfigured) and from pool threads (send).
    using CredentialSource = std::function<std::optional<TelegramCredentials>()>;

    // `pool` is the blocking-I/O pool (see AsioTaskPool) and must outlive
    // every send. Messages go to the build's Bot API host.
    TelegramChannel(CredentialSource credentials, std::shared_ptr<TelegramTransport> transport,
                    TaskPool& pool, AlertTextFormatter formatter = {});

    DeliveryChannelKind kind() const override { return DeliveryChannelKind::telegram; }
    bool isConfigured() const override;
    void send(const SecurityEvent& event, Completion completion) override;
    void cancelSends() override { transport_->cancelExchanges(); }
    void networkChanged() override { transport_->networkChanged(); }

  private:
    CredentialSource credentials_;
    std::shared_ptr<TelegramTransport> transport_;
    TaskPool& pool_;
    AlertTextFormatter formatter_;
};

// The sendMessage body: exactly {"chat_id": chatID, "text": text}.
// Throws nlohmann::json::type_error when a text is not valid UTF-8.
std::string telegramRequestBody(const std::string& chatID, const std::string& text);

}  // namespace veyrune
