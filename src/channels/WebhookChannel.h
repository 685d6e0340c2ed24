#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "base/TaskPool.h"
#include "channels/AlertTextFormatter.h"
#include "channels/WebhookCredentials.h"
#include "channels/WebhookTransport.h"
#include "delivery/DeliveryChannel.h"

namespace veyrune {

// Posts an alert to the user's HTTPS endpoint: a Discord or Slack message when
// the host is theirs, Veyrune's generic JSON otherwise. Each send reads the
// credentials and performs the blocking exchange on the task pool, then calls
// the completion there. Only the status code decides. Never throws.
class WebhookChannel final : public DeliveryChannel {
  public:
    // Reads the stored credentials; nothing when absent or unreadable. Called
    // from the caller's thread (isConfigured) and from pool threads (send).
    using CredentialSource = std::function<std::optional<WebhookCredentials>()>;

    // `pool` is the blocking-I/O pool (see AsioTaskPool) and must outlive
    // every send.
    WebhookChannel(CredentialSource credentials, std::shared_ptr<WebhookTransport> transport,
                   TaskPool& pool, AlertTextFormatter formatter = {});

    DeliveryChannelKind kind() const override { return DeliveryChannelKind::webhook; }
    bool isConfigured() const override;
    void send(const SecurityEvent& event, Completion completion) override;
    void cancelSends() override { transport_->cancelExchanges(); }
    void networkChanged() override { transport_->networkChanged(); }

  private:
    CredentialSource credentials_;
    std::shared_ptr<WebhookTransport> transport_;
    TaskPool& pool_;
    AlertTextFormatter formatter_;
};

}  // namespace veyrune
