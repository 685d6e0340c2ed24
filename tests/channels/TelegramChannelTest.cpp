#include "channels/TelegramChannel.h"

#include <gtest/gtest.h>

#include <set>

#include "base/AsioTaskPool.h"
#include "channels/CurlTelegramTransport.h"
#include "support/LocalHTTPSServer.h"
#include "support/SendAndWait.h"

using namespace veyrune;
using namespace veyrune::test;
using Code = DeliveryFailureCode;

namespace {

SecurityEvent usbEvent() {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = *parseISO8601("2026-12-04T21:44:14Z");
    event.kind = SecurityEventKind::usbAttached;
    event.summary = "SanDisk Ultra attached at /dev/sdb";
    event.context.machineName = "Studio Mac";
    event.context.wifiSSID = "HomeNet";
    event.context.batteryPercent = 80;
    return event;
}

class TelegramChannelTest : public ::testing::Test {
  protected:
    TelegramChannel makeChannel(std::optional<TelegramCredentials> credentials,
                                CurlHTTPClient::Options options) {
        return TelegramChannel([credentials] { return credentials; },
                               std::make_shared<CurlTelegramTransport>(std::move(options)), pool,
                               AlertTextFormatter("de_DE", "Europe/Berlin"));
    }
    DeliveryResult send(std::optional<TelegramCredentials> credentials = kCredentials) {
        auto channel = makeChannel(std::move(credentials), server.clientOptions());
        return sendAndWait(channel, usbEvent());
    }

    static inline const TelegramCredentials kCredentials{"123456:ABC-def", "-100987"};
    LocalHTTPSServer server;
    AsioTaskPool pool{2};
};

TEST_F(TelegramChannelTest, PostsSendMessageWithExactlyChatIDAndText) {
    ASSERT_EQ(send(), DeliveryResult::sent());

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/bot123456:ABC-def/sendMessage");
    EXPECT_EQ(request.headers.at("Host"), "api.telegram.org");
    EXPECT_EQ(request.headers.at("Content-Type"), "application/json");
    std::set<std::string> names;
    for (const auto& header : request.headers) {
        names.insert(header.first);
    }
    EXPECT_EQ(names, (std::set<std::string>{"Accept", "Content-Length", "Content-Type", "Host"}));
    // Nothing but kind, machine, time and summary leaves the machine.
    EXPECT_EQ(request.body,
              "{\"chat_id\":\"-100987\",\"text\":\"[Veyrune] usbAttached \u2014 Studio Mac\\n"
              "04.12.26, 22:44:14\\nSanDisk Ultra attached at \\/dev\\/sdb\"}");
}

TEST_F(TelegramChannelTest, EveryStatusRowMapsToItsResult) {
    struct Row {
        int status;
        std::string body;
        DeliveryResult expected;
    };
    const std::vector<Row> rows = {
        {200, R"({"ok":true,"result":{"message_id":7}})", DeliveryResult::sent()},
        {299, R"({"ok":true})", DeliveryResult::sent()},
        {200, R"({"ok":false,"description":"chat not found"})",
         DeliveryResult::terminal(Code::rejected)},
        {200, "<html>gateway</html>", DeliveryResult::terminal(Code::invalidResponse)},
        {200, R"({"ok":"yes"})", DeliveryResult::terminal(Code::invalidResponse)},
        {204, "", DeliveryResult::terminal(Code::invalidResponse)},
        {408, "", DeliveryResult::retryable(Code::network)},
        {425, "", DeliveryResult::retryable(Code::network)},
        {429, R"({"ok":false,"parameters":{"retry_after":30}})",
         DeliveryResult::retryable(Code::rateLimited)},
        {500, "", DeliveryResult::retryable(Code::server)},
        {599, "", DeliveryResult::retryable(Code::server)},
        {400, "", DeliveryResult::terminal(Code::rejected)},
        {499, "", DeliveryResult::terminal(Code::rejected)},
        {301, "", DeliveryResult::terminal(Code::invalidResponse)},
        {600, "", DeliveryResult::terminal(Code::invalidResponse)},
    };
    auto channel = makeChannel(kCredentials, server.clientOptions());
    for (const auto& row : rows) {
        server.reply(row.status, row.body);
        EXPECT_EQ(sendAndWait(channel, usbEvent()), row.expected)
            << "status " << row.status << " body " << row.body;
    }
}

TEST_F(TelegramChannelTest, MissingOrUnusableCredentialsSendNothing) {
    const std::vector<std::pair<std::optional<TelegramCredentials>, DeliveryResult>> rows = {
        {std::nullopt, DeliveryResult::terminal(Code::notConfigured)},
        {TelegramCredentials{"", "-100987"}, DeliveryResult::terminal(Code::notConfigured)},
        {TelegramCredentials{"123:ABC", ""}, DeliveryResult::terminal(Code::notConfigured)},
        // A token that breaks the URL.
        {TelegramCredentials{"123 ABC", "-100987"},
         DeliveryResult::terminal(Code::invalidResponse)},
    };
    for (const auto& [credentials, expected] : rows) {
        auto channel = makeChannel(credentials, server.clientOptions());
        EXPECT_EQ(channel.isConfigured(), expected.failure != Code::notConfigured);
        EXPECT_EQ(sendAndWait(channel, usbEvent()), expected);
    }
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
