#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "forward/CancelSignal.h"
#include "forward/CollectorAddress.h"

struct ssl_st;
struct ssl_ctx_st;

namespace veyrune {

// A TLS 1.2+ client connection on a socket of its own, checked against the
// CA file (or the system's CA paths when empty) and against the address's
// host name or IP address; the client certificate and key, when given, are
// shown to a collector that asks. OpenSSL works on memory buffers and the
// channel moves the bytes with send(MSG_NOSIGNAL)/recv, so a closed peer never
// raises SIGPIPE. Every wait lasts at most `timeoutSeconds` and ends at once
// when `cancel` is raised. One thread at a time; failures throw LineSinkError
// with a short reason for Diagnostics.
class TLSChannel {
  public:
    struct Options {
        CollectorAddress address;
        std::string caFile;
        std::string certificateFile;
        std::string keyFile;
        unsigned timeoutSeconds = 10;
    };

    // Connects and completes the handshake. `cancel` must outlive the channel.
    TLSChannel(const Options& options, const CancelSignal& cancel);
    ~TLSChannel();
    TLSChannel(const TLSChannel&) = delete;
    TLSChannel& operator=(const TLSChannel&) = delete;

    void write(std::string_view bytes);
    // Whatever decrypted bytes come next (at least one).
    std::string read();
    // Says goodbye at the TLS level without waiting for the answer; never throws.
    void close() noexcept;

  private:
    void release() noexcept;
    void connectSocket();
    void configure();
    template <typename Operation>
    int drive(Operation operation, const char* step);
    void receive(const char* step);
    void flush();
    void wait(short events);
    [[noreturn]] void fail(int sslError, const char* step);

    Options options_;
    const CancelSignal& cancel_;
    int socket_ = -1;
    ssl_ctx_st* context_ = nullptr;
    ssl_st* tls_ = nullptr;
};

}  // namespace veyrune
