#pragma once

#include <mutex>
#include <string>

#include "forward/CollectorAddress.h"
#include "forward/CollectorCertificateCheck.h"
#include "forward/LineSink.h"

struct relpEngine_s;

namespace veyrune {

// The central-collector route: RFC 5424 messages over RELP with TLS (librelp;
// rsyslog's imrelp on the other side). TLS is always on and the collector's
// certificate always verified, against `caFile` or the system's CA bundle,
// with the name checked against the address's host; a client certificate and
// key make it mutual. Each send() is one session: connect, the lines in a
// window, then a close whose answer comes after every line's, so all lines
// count as taken only once it arrives. The only file that calls librelp.
class RELPLineSink final : public LineSink {
  public:
    static constexpr const char* systemCABundle = "/etc/ssl/certs/ca-certificates.crt";

    struct Configuration {
        CollectorAddress address;
        std::string caFile;  // empty: the system's CA bundle
        std::string certificateFile;
        std::string keyFile;
        std::string hostName;  // the sender's, for the messages' header
        unsigned timeoutSeconds = 10;
    };

    // Throws LineSinkError when librelp cannot be set up.
    explicit RELPLineSink(Configuration configuration);
    ~RELPLineSink() override;
    RELPLineSink(const RELPLineSink&) = delete;
    RELPLineSink& operator=(const RELPLineSink&) = delete;

    std::size_t send(std::span<const ForwardedLine> lines) override;
    void cancel() override;
    void reset() override;

    // Called by librelp's error hooks, on the sending thread.
    void noteLibraryError(std::string text, int code);

  private:
    [[noreturn]] void fail(int code, const char* step);

    Configuration configuration_;
    CollectorCertificateCheck certificateCheck_;
    relpEngine_s* engine_ = nullptr;
    // Read by librelp while it waits; set through std::atomic_ref.
    int cancelled_ = 0;
    std::mutex errorMutex_;
    std::string libraryError_;  // guarded by errorMutex_
    int libraryCode_ = 0;       // guarded by errorMutex_
    int sessionSocket_ = -1;    // guarded by errorMutex_; librelp's, while a session runs
};

}  // namespace veyrune
