#pragma once

#include "channels/CurlHTTPClient.h"
#include "channels/WebhookTransport.h"

namespace veyrune {

// WebhookTransport over libcurl. The default options trust the system's
// certificate store and bound each exchange by 60 seconds.
class CurlWebhookTransport final : public WebhookTransport {
  public:
    explicit CurlWebhookTransport(CurlHTTPClient::Options options = {})
        : client_(std::move(options)) {}

    HTTPResponse data(const HTTPRequest& request) override { return client_.perform(request); }
    void cancelExchanges() override { client_.cancelExchanges(); }
    void networkChanged() override { client_.networkChanged(); }

  private:
    CurlHTTPClient client_;
};

}  // namespace veyrune
