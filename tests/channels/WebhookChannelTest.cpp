#include "channels/WebhookChannel.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <nlohmann/json.hpp>
#include <set>

#include "base/AsioTaskPool.h"
#include "channels/CurlWebhookTransport.h"
#include "support/LocalHTTPSServer.h"
#include "support/SendAndWait.h"

using namespace veyrune;
using namespace veyrune::test;
using Code = DeliveryFailureCode;

namespace {

SecurityEvent volumeEvent(std::optional<std::string> machine = "Studio Mac") {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = *parseISO8601("2026-12-04T21:44:14Z");
    event.kind = SecurityEventKind::volumeMounted;
    event.summary = "Backup mounted at /media/backup";
    event.context.machineName = std::move(machine);
    event.context.userName = "ada";
    return event;
}

std::int32_t utf16Length(const std::string& text) {
    return icu::UnicodeString::fromUTF8(text).length();
}

class WebhookChannelTest : public ::testing::Test {
  protected:
    WebhookChannel makeChannel(std::optional<WebhookCredentials> credentials) {
        return WebhookChannel([credentials] { return credentials; },
                              std::make_shared<CurlWebhookTransport>(server.clientOptions()), pool,
                              AlertTextFormatter("de_DE", "Europe/Berlin"));
    }
    DeliveryResult send(WebhookCredentials credentials, const SecurityEvent& event) {
        auto channel = makeChannel(std::move(credentials));
        return sendAndWait(channel, event);
    }

    static inline const WebhookCredentials kGeneric{"https://hooks.example.com/alerts?team=7",
                                                    std::nullopt};
    LocalHTTPSServer server;
    AsioTaskPool pool{2};
};

TEST_F(WebhookChannelTest, GenericBodyWithAuthorizationVerbatim) {
    WebhookCredentials credentials{"https://hooks.example.com/alerts?team=7", "Bearer s3cr3t"};
    ASSERT_EQ(send(credentials, volumeEvent()), DeliveryResult::sent());

    ASSERT_EQ(server.requests().size(), 1u);
    auto request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/alerts");
    EXPECT_EQ(request.headers["Host"], "hooks.example.com");
    EXPECT_EQ(request.headers["Content-Type"], "application/json");
    EXPECT_EQ(request.headers["Authorization"], "Bearer s3cr3t");
    std::set<std::string> names;
    for (const auto& header : request.headers) {
        names.insert(header.first);
    }
    EXPECT_EQ(names, (std::set<std::string>{"Accept", "Authorization", "Content-Length",
                                            "Content-Type", "Host"}));
    EXPECT_EQ(request.body,
              R"({"source":"Veyrune","kind":"volumeMounted","occurredAt":"2026-12-04T21:44:14Z",)"
              R"("summary":"Backup mounted at \/media\/backup","machine":"Studio Mac"})");

    // No machine name, no machine key; no authorization, no header.
    ASSERT_EQ(send(kGeneric, volumeEvent(std::nullopt)), DeliveryResult::sent());
    request = server.requests().at(1);
    EXPECT_FALSE(request.headers.contains("Authorization"));
    EXPECT_EQ(request.body,
              R"({"source":"Veyrune","kind":"volumeMounted","occurredAt":"2026-12-04T21:44:14Z",)"
              R"("summary":"Backup mounted at \/media\/backup"})");
}

TEST_F(WebhookChannelTest, DiscordGetsContentCutAndSlackGetsTheWholeText) {
    auto event = volumeEvent();
    event.summary = std::string(5000, 'x');
    std::string alertText =
        "[Veyrune] volumeMounted \u2014 Studio Mac\n04.12.26, 22:44:14\n" + event.summary;

    ASSERT_EQ(send({"https://discord.com/api/webhooks/1/abc", std::nullopt}, event),
              DeliveryResult::sent());
    ASSERT_EQ(send({"https://hooks.slack.com/services/T0/B0/x", std::nullopt}, event),
              DeliveryResult::sent());

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/api/webhooks/1/abc");
    auto discord = nlohmann::json::parse(requests[0].body);
    ASSERT_EQ(discord.size(), 1u);
    std::string content = discord.at("content");
    EXPECT_EQ(utf16Length(content), 2000);
    EXPECT_EQ(content, alertText.substr(0, content.size()));

    auto slack = nlohmann::json::parse(requests[1].body);
    ASSERT_EQ(slack.size(), 1u);
    EXPECT_EQ(slack.at("text"), alertText);
}

// The status classes are shared with Telegram (whose table covers them); a
// webhook's reply body never matters.
TEST_F(WebhookChannelTest, AnyTwoHundredIsSentAndOtherStatusesTakeTheirClass) {
    const std::vector<std::pair<int, DeliveryResult>> rows = {
        {204, DeliveryResult::sent()},
        {299, DeliveryResult::sent()},
        {425, DeliveryResult::retryable(Code::network)},
        {429, DeliveryResult::retryable(Code::rateLimited)},
        {503, DeliveryResult::retryable(Code::server)},
        {404, DeliveryResult::terminal(Code::rejected)},
        {302, DeliveryResult::terminal(Code::invalidResponse)},
    };
    auto channel = makeChannel(kGeneric);
    for (const auto& [status, expected] : rows) {
        server.reply(status, "not json at all");
        EXPECT_EQ(sendAndWait(channel, volumeEvent()), expected) << "status " << status;
    }
}

TEST_F(WebhookChannelTest, MissingOrUnsafeSettingsSendNothing) {
    const std::vector<std::pair<std::optional<WebhookCredentials>, DeliveryResult>> rows = {
        {std::nullopt, DeliveryResult::terminal(Code::notConfigured)},
        // An authorization value cannot smuggle headers.
        {WebhookCredentials{kGeneric.endpoint, "Bearer x\r\nX-Injected: 1"},
         DeliveryResult::terminal(Code::invalidResponse)},
        // A plain HTTP endpoint is never contacted.
        {WebhookCredentials{"http://hooks.example.com/alerts", std::nullopt},
         DeliveryResult::terminal(Code::invalidResponse)},
    };
    for (const auto& [credentials, expected] : rows) {
        auto channel = makeChannel(credentials);
        EXPECT_EQ(channel.isConfigured(), credentials.has_value());
        EXPECT_EQ(sendAndWait(channel, volumeEvent()), expected);
    }
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
