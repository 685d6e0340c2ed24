#include "channels/TelegramChannel.h"

#include "BuildSettings.h"
#include "channels/DeliveryTask.h"
#include "channels/HTTPDeliveryResults.h"
#include "channels/JSONBodyEncoding.h"
#include "channels/ParsedURL.h"
#include "record/RecordCoding.h"

namespace veyrune {

namespace {

using Code = DeliveryFailureCode;

std::optional<TelegramCredentials> usableCredentials(
    const TelegramChannel::CredentialSource& source) {
    std::optional<TelegramCredentials> credentials;
    try {
        credentials = source();
    } catch (...) {
        return std::nullopt;
    }
    if (!credentials || credentials->token.empty() || credentials->chatID.empty()) {
        return std::nullopt;
    }
    return credentials;
}

// A 2xx reply counts only when its body says {"ok": true}.
DeliveryResult resultForSuccessBody(const HTTPResponse& response) {
    auto reply = response.bodyTruncated ? std::nullopt : parseJSON(response.body);
    if (!reply || !reply->is_object() || !reply->contains("ok") || !(*reply)["ok"].is_boolean()) {
        return DeliveryResult::terminal(Code::invalidResponse);
    }
    return (*reply)["ok"].get<bool>() ? DeliveryResult::sent()
                                      : DeliveryResult::terminal(Code::rejected);
}

DeliveryResult deliver(const TelegramChannel::CredentialSource& source,
                       TelegramTransport& transport, const AlertTextFormatter& formatter,
                       const SecurityEvent& event) {
    auto credentials = usableCredentials(source);
    if (!credentials) {
        return DeliveryResult::terminal(Code::notConfigured);
    }
    // The token goes in verbatim, as the Bot API expects it in the path.
    std::string url = std::string("https://") + build::telegramAPIHost + "/bot" +
                      credentials->token + "/sendMessage";
    if (!ParsedURL::parse(url)) {
        return DeliveryResult::terminal(Code::invalidResponse);
    }
    HTTPRequest request{"POST", url, {{"Content-Type", "application/json"}}, {}};
    try {
        request.body = telegramRequestBody(credentials->chatID, formatter.text(event));
    } catch (const nlohmann::json::exception&) {
        return DeliveryResult::terminal(Code::invalidResponse);
    }
    HTTPResponse response;
    try {
        response = transport.data(request);
    } catch (const HTTPTransportError& error) {
        return resultForTransportError(error);
    } catch (...) {
        return DeliveryResult::retryable(Code::network);
    }
    if (auto failure = failureForHTTPStatus(response.statusCode)) {
        return *failure;
    }
    return resultForSuccessBody(response);
}

}  // namespace

TelegramChannel::TelegramChannel(CredentialSource credentials,
                                 std::shared_ptr<TelegramTransport> transport, TaskPool& pool,
                                 AlertTextFormatter formatter)
    : credentials_(std::move(credentials)),
      transport_(std::move(transport)),
      pool_(pool),
      formatter_(std::move(formatter)) {}

bool TelegramChannel::isConfigured() const {
    return usableCredentials(credentials_).has_value();
}

void TelegramChannel::send(const SecurityEvent& event, Completion completion) {
    runDeliveryTask(pool_, std::move(completion),
                    [credentials = credentials_, transport = transport_, formatter = formatter_,
                     event] { return deliver(credentials, *transport, formatter, event); });
}

std::string telegramRequestBody(const std::string& chatID, const std::string& text) {
    nlohmann::ordered_json body;
    body["chat_id"] = chatID;
    body["text"] = text;
    return encodeJSONBody(body);
}

}  // namespace veyrune
