#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "channels/CurlHTTPClient.h"

namespace veyrune::test {

// One request as the server saw it. Header names as sent; cpp-httplib's own
// LOCAL_ADDR/LOCAL_PORT/REMOTE_ADDR/REMOTE_PORT entries are left out.
struct RecordedRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> headers;
    std::string body;
};

// An HTTPS server on 127.0.0.1 with a certificate made for this process
// (localhost, api.telegram.org, discord.com, discordapp.com, hooks.slack.com,
// hooks.example.com and their subdomains). Clients reach it through
// `clientOptions()`, which trusts that certificate and connects every host to
// this port. Records every request; answers 200 {"ok":true} until told otherwise.
// A server made with `Certificate::stranger` shows a certificate for the same
// names that no client trusts.
class LocalHTTPSServer {
  public:
    enum class Certificate { trusted, stranger };

    explicit LocalHTTPSServer(Certificate certificate = Certificate::trusted);
    ~LocalHTTPSServer();
    LocalHTTPSServer(const LocalHTTPSServer&) = delete;
    LocalHTTPSServer& operator=(const LocalHTTPSServer&) = delete;

    void reply(int status, std::string body = {});
    // Sends the headers of a 200 with a longer body than it then writes, and closes.
    void closeMidReply();
    // Reads requests and never answers them (until the server is destroyed).
    void neverAnswer();
    // A chunked 200 whose body never ends: a small chunk every 20 ms.
    void endlessReply();
    // A 200 with a body of `bytes` bytes, written as long as the client reads.
    void hugeReply(std::size_t bytes);
    // Answers `status` with a Location header.
    void redirect(int status, std::string location);
    // Body bytes the server has written so far in the streaming modes.
    std::size_t bodyBytesWritten() const;
    // Holds each reply for a random time up to `longest` before answering.
    void delayReplies(std::chrono::milliseconds longest);
    // Requests read and still held by the delay.
    int requestsInProgress() const;

    std::vector<RecordedRequest> requests() const;
    CurlHTTPClient::Options clientOptions(
        std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    static const std::string& certificateFile();

  private:
    enum class Mode { reply, closeMidReply, neverAnswer, endlessReply, hugeReply, redirect };

    void handle(const httplib::Request& request, httplib::Response& response);
    void record(const httplib::Request& request);
    void streamEndlessly(httplib::Response& response);
    void streamHugeBody(httplib::Response& response, std::size_t bytes);
    bool written(bool ok, std::size_t bytes);

    httplib::SSLServer server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool releasing_ = false;                     // guarded by mutex_
    Mode mode_ = Mode::reply;                    // guarded by mutex_
    int status_ = 200;                           // guarded by mutex_
    std::string body_ = R"({"ok":true})";        // guarded by mutex_
    std::vector<RecordedRequest> requests_;      // guarded by mutex_
    std::size_t hugeBytes_ = 0;                  // guarded by mutex_
    std::string location_;                       // guarded by mutex_
    std::size_t bodyBytesWritten_ = 0;           // guarded by mutex_
    std::chrono::milliseconds longestDelay_{0};  // guarded by mutex_
    unsigned delaySeed_ = 1;                     // guarded by mutex_
    int inProgress_ = 0;                         // guarded by mutex_
};

}  // namespace veyrune::test
