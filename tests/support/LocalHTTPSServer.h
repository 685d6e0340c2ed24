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
class LocalHTTPSServer {
  public:
    LocalHTTPSServer();
    ~LocalHTTPSServer();
    LocalHTTPSServer(const LocalHTTPSServer&) = delete;
    LocalHTTPSServer& operator=(const LocalHTTPSServer&) = delete;

    void reply(int status, std::string body = {});
    // Sends the headers of a 200 with a longer body than it then writes, and closes.
    void closeMidReply();
    // Reads requests and never answers them (until the server is destroyed).
    void neverAnswer();

    std::vector<RecordedRequest> requests() const;
    CurlHTTPClient::Options clientOptions(
        std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    static const std::string& certificateFile();

  private:
    enum class Mode { reply, closeMidReply, neverAnswer };

    void handle(const httplib::Request& request, httplib::Response& response);
    void record(const httplib::Request& request);
    void holdUntilReleased();

    httplib::SSLServer server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool releasing_ = false;                 // guarded by mutex_
    Mode mode_ = Mode::reply;                // guarded by mutex_
    int status_ = 200;                       // guarded by mutex_
    std::string body_ = R"({"ok":true})";    // guarded by mutex_
    std::vector<RecordedRequest> requests_;  // guarded by mutex_
};

}  // namespace veyrune::test
