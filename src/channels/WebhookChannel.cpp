#include "channels/WebhookChannel.h"

#include <nlohmann/json.hpp>

#include "channels/DeliveryTask.h"
#include "channels/HTTPDeliveryResults.h"
#include "channels/WebhookBody.h"

namespace veyrune {

namespace {

using Code = DeliveryFailureCode;

std::optional<WebhookCredentials> readCredentials(const WebhookChannel::CredentialSource& source) {
    try {
        return source();
    } catch (...) {
        return std::nullopt;
    }
}

HTTPRequest webhookRequest(const WebhookCredentials& credentials, std::string body) {
    HTTPRequest request{
        "POST", credentials.endpoint, {{"Content-Type", "application/json"}}, std::move(body)};
    if (credentials.authorizationHeader) {
        request.headers.emplace_back("Authorization", *credentials.authorizationHeader);
    }
    return request;
}

DeliveryResult deliver(const WebhookChannel::CredentialSource& source, WebhookTransport& transport,
                       const AlertTextFormatter& formatter, const SecurityEvent& event) {
    auto credentials = readCredentials(source);
    if (!credentials) {
        return DeliveryResult::terminal(Code::notConfigured);
    }
    WebhookPayloadForm form = payloadFormForEndpoint(credentials->endpoint);
    std::string body;
    try {
        std::string alertText =
            form == WebhookPayloadForm::generic ? std::string() : formatter.text(event);
        body = webhookBody(event, form, alertText);
    } catch (const nlohmann::json::exception&) {
        return DeliveryResult::terminal(Code::invalidResponse);
    }
    HTTPResponse response;
    try {
        response = transport.data(webhookRequest(*credentials, std::move(body)));
    } catch (const HTTPTransportError& error) {
        return resultForTransportError(error);
    } catch (...) {
        return DeliveryResult::retryable(Code::network);
    }
    return failureForHTTPStatus(response.statusCode).value_or(DeliveryResult::sent());
}

}  // namespace

WebhookChannel::WebhookChannel(CredentialSource credentials,
                               std::shared_ptr<WebhookTransport> transport, TaskPool& pool,
                               AlertTextFormatter formatter)
    : credentials_(std::move(credentials)),
      transport_(std::move(transport)),
      pool_(pool),
      formatter_(std::move(formatter)) {}

bool WebhookChannel::isConfigured() const {
    return readCredentials(credentials_).has_value();
}

void WebhookChannel::send(const SecurityEvent& event, Completion completion) {
    runDeliveryTask(pool_, std::move(completion),
                    [credentials = credentials_, transport = transport_, formatter = formatter_,
                     event] { return deliver(credentials, *transport, formatter, event); });
}

}  // namespace veyrune
