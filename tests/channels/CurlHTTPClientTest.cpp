#include "channels/CurlHTTPClient.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <future>

#include "base/AsioTaskPool.h"
#include "channels/CurlTelegramTransport.h"
#include "channels/HTTPTransportError.h"
#include "channels/TelegramChannel.h"
#include "support/EventFactory.h"
#include "support/LocalHTTPSServer.h"
#include "support/SendAndWait.h"
#include "support/WaitUntil.h"

using namespace veyrune;
using namespace veyrune::test;
using namespace std::chrono_literals;

namespace {

const HTTPRequest kPost{"POST", "https://hooks.example.com/alerts", {}, "{}"};

// A JSON reply {"ok":true,"pad":"xx…"} of exactly `bytes` bytes.
std::string okReplyOfSize(std::size_t bytes) {
    std::string head = R"({"ok":true,"pad":")", tail = R"("})";
    return head + std::string(bytes - head.size() - tail.size(), 'x') + tail;
}

}  // namespace

TEST(CurlHTTPClientTest, ReplyOfExactlyTheBoundArrivesWholeAndOneByteMoreIsCut) {
    constexpr std::size_t bound = CurlHTTPClient::maximumBodyBytes;
    struct Row {
        std::size_t bytes;
        bool cut;
        DeliveryResult telegram;  // a cut reply cannot say "ok"
    };
    const Row rows[] = {
        {bound - 1, false, DeliveryResult::sent()},
        {bound, false, DeliveryResult::sent()},
        {bound + 1, true, DeliveryResult::terminal(DeliveryFailureCode::invalidResponse)},
    };
    AsioTaskPool pool{1};
    for (const auto& row : rows) {
        LocalHTTPSServer server;
        std::string reply = okReplyOfSize(row.bytes);
        server.reply(200, reply);
        CurlHTTPClient client(server.clientOptions());
        HTTPResponse response = client.perform(kPost);
        EXPECT_EQ(response.bodyTruncated, row.cut) << row.bytes;
        EXPECT_EQ(response.body.size(), std::min(row.bytes, bound)) << row.bytes;
        EXPECT_EQ(response.body, reply.substr(0, bound)) << row.bytes;

        TelegramChannel telegram(
            [] {
                return TelegramCredentials{"1:A", "-1"};
            },
            std::make_shared<CurlTelegramTransport>(server.clientOptions()), pool);
        EXPECT_EQ(sendAndWait(telegram, makeEvent()), row.telegram) << row.bytes;
    }
}

TEST(CurlHTTPClientTest, CancelEndsAnUnansweredExchangeAtOnceAndRefusesLaterOnes) {
    LocalHTTPSServer server;
    server.neverAnswer();
    // The time-out alone would end the exchange only after two minutes.
    CurlHTTPClient client(server.clientOptions(120s));
    auto exchange = std::async(std::launch::async, [&] { return client.perform(kPost); });
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));

    client.cancelExchanges();
    ASSERT_EQ(exchange.wait_for(20s), std::future_status::ready) << "the exchange was not cut";
    try {
        exchange.get();
        ADD_FAILURE() << "a cut exchange gave a response";
    } catch (const HTTPTransportError& error) {
        EXPECT_EQ(error.kind(), HTTPTransportError::Kind::network);
        EXPECT_EQ(error.curlCode(), CURLE_ABORTED_BY_CALLBACK);
    }
    EXPECT_THROW(client.perform(kPost), HTTPTransportError);
    EXPECT_EQ(server.requests().size(), 1u);
}
