#include "forward/TLSChannel.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "forward/HostLookup.h"
#include "forward/LineSink.h"

namespace veyrune {

namespace {

constexpr std::size_t kChunk = 32 * 1024;

bool isIPAddress(const std::string& host) {
    unsigned char address[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string lastOpenSSLReason() {
    unsigned long code = ERR_peek_last_error();
    const char* reason = code ? ERR_reason_error_string(code) : nullptr;
    return reason ? reason : "";
}

}  // namespace

TLSChannel::TLSChannel(const Options& options, const CancelSignal& cancel)
    : options_(options), cancel_(cancel) {
    try {
        configure();
        connectSocket();
        SSL_set_connect_state(tls_);
        drive([this] { return SSL_do_handshake(tls_); }, "TLS handshake");
    } catch (...) {
        release();
        throw;
    }
}

TLSChannel::~TLSChannel() {
    release();
}

void TLSChannel::release() noexcept {
    if (tls_) {
        SSL_free(tls_);
        tls_ = nullptr;
    }
    if (context_) {
        SSL_CTX_free(context_);
        context_ = nullptr;
    }
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

void TLSChannel::configure() {
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) {
        throw LineSinkError("TLS set-up failed");
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, nullptr);
    const auto& o = options_;
    if (o.caFile.empty()
            ? SSL_CTX_set_default_verify_paths(context_) != 1
            : SSL_CTX_load_verify_locations(context_, o.caFile.c_str(), nullptr) != 1) {
        throw LineSinkError("certificate refused: cannot read the CA file " + o.caFile);
    }
    if (!o.certificateFile.empty() &&
        (SSL_CTX_use_certificate_chain_file(context_, o.certificateFile.c_str()) != 1 ||
         SSL_CTX_use_PrivateKey_file(context_, o.keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
         SSL_CTX_check_private_key(context_) != 1)) {
        throw LineSinkError("cannot read the client certificate or its key");
    }
    tls_ = SSL_new(context_);
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!tls_ || !in || !out) {
        BIO_free(in);
        BIO_free(out);
        throw LineSinkError("TLS set-up failed");
    }
    // An empty input buffer means "wait for more", not "end of stream".
    BIO_set_mem_eof_return(in, -1);
    SSL_set_bio(tls_, in, out);
    const auto& host = o.address.host;
    if (isIPAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(tls_), host.c_str());
    } else {
        SSL_set_tlsext_host_name(tls_, host.c_str());
        SSL_set1_host(tls_, host.c_str());
    }
}

void TLSChannel::connectSocket() {
    auto list = lookUpHost(options_.address.host, options_.address.port, cancel_,
                           std::chrono::seconds(options_.timeoutSeconds));
    auto* found = list.get();
    int error = ECONNREFUSED;
    for (auto* entry = found; entry; entry = entry->ai_next) {
        int fd = ::socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error = errno;
            continue;
        }
        socket_ = fd;
        if (::connect(fd, entry->ai_addr, entry->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                wait(POLLOUT);
                socklen_t length = sizeof error;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            }
        } else {
            error = 0;
        }
        if (error == 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return;
        }
        ::close(fd);
        socket_ = -1;
    }
    throw LineSinkError(error == ECONNREFUSED
                            ? "connection refused"
                            : std::string("cannot connect: ") + std::strerror(error));
}

template <typename Operation>
int TLSChannel::drive(Operation operation, const char* step) {
    for (;;) {
        ERR_clear_error();
        int result = operation();
        int error = result > 0 ? SSL_ERROR_NONE : SSL_get_error(tls_, result);
        flush();
        if (error == SSL_ERROR_NONE) {
            return result;
        }
        if (error != SSL_ERROR_WANT_READ) {
            fail(error, step);
        }
        receive(step);
    }
}

void TLSChannel::receive(const char* step) {
    char buffer[kChunk];
    for (;;) {
        wait(POLLIN);
        auto count = ::recv(socket_, buffer, sizeof buffer, 0);
        if (count > 0) {
            BIO_write(SSL_get_rbio(tls_), buffer, int(count));
            return;
        }
        if (count == 0) {
            throw LineSinkError(std::string("the collector closed the connection (") + step + ")");
        }
        if (errno != EAGAIN && errno != EINTR) {
            throw LineSinkError(std::string("connection lost: ") + std::strerror(errno));
        }
    }
}

void TLSChannel::flush() {
    char buffer[kChunk];
    BIO* out = SSL_get_wbio(tls_);
    while (BIO_ctrl_pending(out) > 0) {
        int count = BIO_read(out, buffer, sizeof buffer);
        for (int sent = 0; sent < count;) {
            auto written = ::send(socket_, buffer + sent, std::size_t(count - sent), MSG_NOSIGNAL);
            if (written >= 0) {
                sent += int(written);
            } else if (errno == EAGAIN || errno == EINTR) {
                wait(POLLOUT);
            } else {
                throw LineSinkError(std::string("connection lost: ") + std::strerror(errno));
            }
        }
    }
}

void TLSChannel::wait(short events) {
    for (;;) {
        pollfd entries[2] = {{socket_, events, 0}, {cancel_.fd(), POLLIN, 0}};
        int ready = ::poll(entries, 2, int(options_.timeoutSeconds) * 1000);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (entries[1].revents & POLLIN) {
            throw LineSinkError("cancelled");
        }
        if (ready == 0) {
            throw LineSinkError("no answer");
        }
        return;  // ready, or an error the next call reports
    }
}

void TLSChannel::fail(int sslError, const char* step) {
    long verdict = SSL_get_verify_result(tls_);
    if (verdict != X509_V_OK) {
        throw LineSinkError(std::string("certificate refused: ") +
                            X509_verify_cert_error_string(verdict));
    }
    if (sslError == SSL_ERROR_ZERO_RETURN) {
        throw LineSinkError(std::string("the collector closed the connection (") + step + ")");
    }
    auto reason = lastOpenSSLReason();
    if (reason.find("alert") != std::string::npos &&
        reason.find("certificate") != std::string::npos) {
        throw LineSinkError("client certificate refused by the collector: " + reason);
    }
    throw LineSinkError(std::string(step) + " failed" + (reason.empty() ? "" : ": " + reason));
}

void TLSChannel::write(std::string_view bytes) {
    while (!bytes.empty()) {
        int count =
            drive([&] { return SSL_write(tls_, bytes.data(), int(bytes.size())); }, "sending");
        bytes.remove_prefix(std::size_t(count));
    }
}

std::string TLSChannel::read() {
    std::string bytes(kChunk, '\0');
    int count = drive([&] { return SSL_read(tls_, bytes.data(), int(bytes.size())); }, "receiving");
    bytes.resize(std::size_t(count));
    return bytes;
}

void TLSChannel::close() noexcept {
    try {
        ERR_clear_error();
        SSL_shutdown(tls_);
        flush();
    } catch (...) {
        // The peer went first; nothing is left to say.
    }
    ERR_clear_error();
}

}  // namespace veyrune
