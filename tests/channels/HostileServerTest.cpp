// Both channels against servers that misbehave on purpose. Each send must end
// (by the shortened time-out where the server stalls) with the mapped result,
// and never hold more of a reply than the client's bound.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "base/AsioTaskPool.h"
#include "channels/CurlTelegramTransport.h"
#include "channels/CurlWebhookTransport.h"
#include "channels/TelegramChannel.h"
#include "channels/WebhookChannel.h"
#include "support/EventFactory.h"
#include "support/LocalHTTPSServer.h"
#include "support/SendAndWait.h"
#include "support/SilentListener.h"

using namespace veyrune;
using namespace veyrune::test;
using Code = DeliveryFailureCode;
using namespace std::chrono_literals;

namespace {

constexpr auto kStallTimeout = 1s;

enum class Via { telegram, webhook };

std::string name(Via via) {
    return via == Via::telegram ? "telegram" : "webhook";
}

class HostileServerTest : public ::testing::Test {
  protected:
    DeliveryResult send(Via via, CurlHTTPClient::Options options,
                        std::string endpoint = "https://hooks.example.com/alerts") {
        std::shared_ptr<DeliveryChannel> channel;
        if (via == Via::telegram) {
            channel = std::make_shared<TelegramChannel>(
                [] {
                    return TelegramCredentials{"123:ABC", "-100"};
                },
                std::make_shared<CurlTelegramTransport>(std::move(options)), pool);
        } else {
            channel = std::make_shared<WebhookChannel>(
                [endpoint] {
                    return WebhookCredentials{endpoint, std::nullopt};
                },
                std::make_shared<CurlWebhookTransport>(std::move(options)), pool);
        }
        return sendAndWait(*channel, makeEvent());
    }

    AsioTaskPool pool{2};
};

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(HostileServerTest, StallingOrHangingUpServersAreNetworkFailures) {
    for (Via via : {Via::telegram, Via::webhook}) {
        SilentListener noHandshake;
        CurlHTTPClient::Options options{LocalHTTPSServer::certificateFile(), kStallTimeout,
                                        noHandshake.address()};
        EXPECT_EQ(send(via, options), DeliveryResult::retryable(Code::network))
            << name(via) << ": no TLS handshake";

        LocalHTTPSServer noReply;
        noReply.neverAnswer();
        EXPECT_EQ(send(via, noReply.clientOptions(kStallTimeout)),
                  DeliveryResult::retryable(Code::network))
            << name(via) << ": request read, never answered";

        LocalHTTPSServer endless;
        endless.endlessReply();
        EXPECT_EQ(send(via, endless.clientOptions(kStallTimeout)),
                  DeliveryResult::retryable(Code::network))
            << name(via) << ": a reply that never ends";
        EXPECT_GT(endless.bodyBytesWritten(), 0u) << name(via);

        LocalHTTPSServer hangingUp;
        hangingUp.closeMidReply();
        EXPECT_EQ(send(via, hangingUp.clientOptions()), DeliveryResult::retryable(Code::network))
            << name(via) << ": connection closed in the middle of the reply";
    }
}

TEST_F(HostileServerTest, AHundredMegabyteReplyIsCutAtTheBound) {
    constexpr std::size_t hundredMB = 100 * 1024 * 1024;
    const std::vector<std::pair<Via, DeliveryResult>> rows = {
        // Telegram must read the body, and a cut one cannot say "ok".
        {Via::telegram, DeliveryResult::terminal(Code::invalidResponse)},
        // The webhook goes by the status alone.
        {Via::webhook, DeliveryResult::sent()},
    };
    for (const auto& [via, expected] : rows) {
        LocalHTTPSServer server;
        server.hugeReply(hundredMB);
        long before = peakResidentKiB();
        EXPECT_EQ(send(via, server.clientOptions()), expected) << name(via);
        // The client stops reading past its bound: the server never got far,
        // and the process never held the body.
        EXPECT_LT(server.bodyBytesWritten(), hundredMB / 4) << name(via);
        EXPECT_LT(peakResidentKiB() - before, 32 * 1024) << name(via);
    }
}

TEST_F(HostileServerTest, WrongCertificatesAreRefusedBeforeAnyRequest) {
    for (Via via : {Via::telegram, Via::webhook}) {
        LocalHTTPSServer stranger(LocalHTTPSServer::Certificate::stranger);
        EXPECT_EQ(send(via, stranger.clientOptions()), DeliveryResult::retryable(Code::network))
            << name(via) << ": untrusted certificate";
        EXPECT_TRUE(stranger.requests().empty()) << name(via);
    }
    // A trusted certificate that does not name the host.
    LocalHTTPSServer server;
    EXPECT_EQ(send(Via::webhook, server.clientOptions(), "https://hooks.other.net/alerts"),
              DeliveryResult::retryable(Code::network));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(HostileServerTest, RedirectsAreNeverFollowed) {
    const std::vector<std::pair<int, std::string>> redirects = {
        {302, "http://hooks.example.com/alerts"},   // down to plain HTTP
        {301, "https://hooks.example.com/alerts"},  // to itself: a loop
        {307, "https://api.telegram.org/bot123:ABC/sendMessage"},
    };
    for (Via via : {Via::telegram, Via::webhook}) {
        for (const auto& [status, location] : redirects) {
            LocalHTTPSServer server;
            server.redirect(status, location);
            EXPECT_EQ(send(via, server.clientOptions()),
                      DeliveryResult::terminal(Code::invalidResponse))
                << name(via) << " " << status << " " << location;
            EXPECT_EQ(server.requests().size(), 1u) << name(via) << " " << location;
        }
    }
}

}  // namespace
