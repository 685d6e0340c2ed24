#pragma once

// The only place Veyrune calls libcurl.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "channels/HTTPRequest.h"
#include "channels/HTTPResponse.h"

namespace veyrune {

// Performs HTTPS exchanges with libcurl. Blocking: call it on a pool thread.
// Thread-safe. Certificates and host names are always verified; only HTTPS is
// spoken and redirects are not followed. Handles are kept between exchanges,
// so a later send resumes the TLS session and reuses the loaded certificate
// store instead of starting over; what they learnt of the network (resolved
// addresses) is dropped when the network changes. Exchanges can be cut short
// from any thread, at once, whatever the server does.
class CurlHTTPClient {
  public:
    struct Options {
        // A CA bundle to trust instead of the system store (tests with their
        // own certificate). Verification stays on either way.
        std::optional<std::string> caFile;
        // Bound of the whole exchange; tests shorten it.
        std::chrono::milliseconds timeout = std::chrono::seconds(60);
        // Tests only: "HOST:PORT" every connection goes to, whatever the URL
        // names. The certificate must still match the URL's host.
        std::optional<std::string> connectTo;
    };

    static constexpr std::size_t maximumBodyBytes = 1024 * 1024;

    explicit CurlHTTPClient(Options options);
    ~CurlHTTPClient();
    CurlHTTPClient(const CurlHTTPClient&) = delete;
    CurlHTTPClient& operator=(const CurlHTTPClient&) = delete;

    // Throws HTTPTransportError when no HTTP response arrived (kind network,
    // libcurl code CURLE_ABORTED_BY_CALLBACK, once exchanges are cancelled).
    HTTPResponse perform(const HTTPRequest& request) const;

    // Any thread: ends the exchanges in flight without waiting for the server
    // and refuses every later one. For good: the client is being shut down.
    void cancelExchanges();
    // Any thread: the network path changed or the machine woke. No later
    // exchange goes to an address resolved before; kept handles keep their
    // TLS sessions and certificate store.
    void networkChanged();

    // libcurl's reading of an absolute URL, so that a URL is judged by the
    // parser that will send to it: the scheme (lower case) and the host (as
    // written, absent when there is none). Nothing when libcurl rejects it.
    struct URLParts {
        std::string scheme;
        std::optional<std::string> host;
    };
    static std::optional<URLParts> splitURL(std::string_view text);

  private:
    struct Handles;

    Options options_;
    std::unique_ptr<Handles> handles_;
};

}  // namespace veyrune
