#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <openssl/types.h>

namespace veyrune::test {

// A RELP collector over TLS on 127.0.0.1 with a self-signed certificate for
// "localhost" (written to `certificateFile()`, the client's CA). It takes one
// connection at a time and answers as the next script entry says; once the
// script is used up, sessions are answered properly.
class FakeRELPCollector {
  public:
    struct Session {
        // Lines answered "200 OK" before it misbehaves; -1: all of them.
        int answered = -1;
        // After `answered` lines: these bytes go out as the next answer ...
        std::string reply;
        // ... and the connection drops once this many lines arrived in all
        // (-1: it stays open, silent, until the client leaves).
        int dropAfter = -1;
    };

    explicit FakeRELPCollector(std::filesystem::path folder, std::vector<Session> script = {});
    ~FakeRELPCollector();
    FakeRELPCollector(const FakeRELPCollector&) = delete;
    FakeRELPCollector& operator=(const FakeRELPCollector&) = delete;

    std::string address() const { return "localhost:" + std::to_string(port_); }
    std::filesystem::path certificateFile() const { return folder_ / "fake-collector.pem"; }
    // The syslog messages received, in arrival order, repeats included.
    std::vector<std::string> received() const;

  private:
    void serve();
    void serveSession(SSL* tls, const Session& session);

    std::filesystem::path folder_;
    std::vector<Session> script_;
    SSL_CTX* context_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> received_;  // guarded by mutex_
    std::thread thread_;
};

}  // namespace veyrune::test
