// What a server answers, mapped by the Telegram and webhook channels. The first
// byte picks the channel and what the transport does (a reply, possibly cut, or
// one of its errors), the next two the status code; the rest is the body. Every
// send completes exactly once, and only with results the channels may give.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "channels/HTTPTransportError.h"
#include "channels/TelegramChannel.h"
#include "channels/WebhookChannel.h"
#include "support/InlineTaskPool.h"

using namespace veyrune;
using Code = DeliveryFailureCode;

namespace {

struct Reply {
    int outcome = 0;  // 0, 1: the response; 2: a network error; 3: not HTTP
    HTTPResponse response;
};

class ScriptedTransport final : public TelegramTransport, public WebhookTransport {
  public:
    explicit ScriptedTransport(Reply reply) : reply_(std::move(reply)) {}
    HTTPResponse data(const HTTPRequest&) override {
        if (reply_.outcome == 2) {
            throw HTTPTransportError(HTTPTransportError::Kind::network, 28, "time-out");
        }
        if (reply_.outcome == 3) {
            throw HTTPTransportError(HTTPTransportError::Kind::nonHTTPResponse, 0, "not HTTP");
        }
        return reply_.response;
    }
    void cancelExchanges() override {}
    void networkChanged() override {}

  private:
    Reply reply_;
};

SecurityEvent alertEvent() {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = referenceDate() + std::chrono::seconds(800'000'000);
    event.kind = SecurityEventKind::screenUnlocked;
    event.summary = "Screen unlocked";
    return event;
}

DeliveryResult sendOnce(DeliveryChannel& channel) {
    int calls = 0;
    DeliveryResult result;
    channel.send(alertEvent(), [&](DeliveryResult given) {
        ++calls;
        result = given;
    });
    fuzz::require(calls == 1, "a send completes exactly once");
    return result;
}

void checkResult(const Reply& reply, bool telegram, const DeliveryResult& result) {
    long status = reply.response.statusCode;
    bool success = reply.outcome < 2 && status >= 200 && status <= 299;
    if (result.kind == DeliveryResult::Kind::sent) {
        fuzz::require(success, "only a 2xx reply is sent");
        fuzz::require(!telegram || !reply.response.bodyTruncated, "a cut Telegram reply is not ok");
        return;
    }
    fuzz::require(result.failure.has_value(), "a failure has a code");
    fuzz::require(*result.failure != Code::notConfigured && *result.failure != Code::storage &&
                      *result.failure != Code::legacyPayload,
                  "a reply maps to a delivery code");
    if (result.kind == DeliveryResult::Kind::retryable) {
        fuzz::require(*result.failure == Code::network || *result.failure == Code::rateLimited ||
                          *result.failure == Code::server,
                      "only network, rate limits and servers are retried");
    }
    if (reply.outcome == 2) {
        fuzz::require(result == DeliveryResult::retryable(Code::network), "network errors retry");
    }
    fuzz::require(telegram || !success, "the webhook sends on every 2xx");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    bool telegram = (data[0] & 1) != 0;
    Reply reply;
    reply.outcome = (data[0] >> 1) & 3;
    reply.response.bodyTruncated = (data[0] & 8) != 0;
    reply.response.statusCode = long((data[1] << 8) | data[2]) % 1000;
    reply.response.body.assign(reinterpret_cast<const char*>(data + 3), size - 3);

    test::InlineTaskPool pool;
    auto transport = std::make_shared<ScriptedTransport>(reply);
    DeliveryResult result;
    if (telegram) {
        TelegramChannel channel(
            [] {
                return TelegramCredentials{"123:abc", "42"};
            },
            transport, pool);
        result = sendOnce(channel);
    } else {
        WebhookChannel channel(
            [] {
                return WebhookCredentials{"https://hooks.example.com/a", std::nullopt};
            },
            transport, pool);
        result = sendOnce(channel);
    }
    checkResult(reply, telegram, result);
    return 0;
}
