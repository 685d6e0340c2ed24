#include "forward/CollectorCertificateCheck.h"

#include <netdb.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace veyrune {

namespace {

struct Socket {
    int fd = -1;
    ~Socket() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// A connected socket, or the reason there is none.
std::optional<std::string> connectTo(const CollectorAddress& address, unsigned timeoutSeconds,
                                     Socket& socket) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found) != 0) {
        return "host not found";
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, ::freeaddrinfo);
    int error = ECONNREFUSED;
    timeval limit{time_t(timeoutSeconds), 0};
    for (auto* entry = found; entry; entry = entry->ai_next) {
        Socket attempt{::socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC, 0)};
        if (attempt.fd < 0) {
            continue;
        }
        ::setsockopt(attempt.fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(attempt.fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (::connect(attempt.fd, entry->ai_addr, entry->ai_addrlen) == 0) {
            std::swap(socket.fd, attempt.fd);
            return std::nullopt;
        }
        error = errno;
    }
    if (error == EINPROGRESS || error == EAGAIN || error == ETIMEDOUT) {
        return "no answer";
    }
    return error == ECONNREFUSED ? "connection refused" : "cannot connect";
}

}  // namespace

void CollectorCertificateCheck::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (socket_ >= 0) {
        ::shutdown(socket_, SHUT_RDWR);
    }
}

void CollectorCertificateCheck::reset() {
    std::lock_guard lock(mutex_);
    cancelled_ = false;
}

bool CollectorCertificateCheck::use(int fd) {
    std::lock_guard lock(mutex_);
    socket_ = fd;
    return !cancelled_;
}

std::optional<std::string> CollectorCertificateCheck::check(const CollectorAddress& address,
                                                            const std::string& caFile,
                                                            const std::string& clientCertificate,
                                                            const std::string& clientKey,
                                                            unsigned timeoutSeconds) {
    Socket socket;
    if (auto failure = connectTo(address, timeoutSeconds, socket)) {
        return failure;
    }
    struct Registration {
        CollectorCertificateCheck& check;
        ~Registration() { check.use(-1); }
    } registration{*this};
    if (!use(socket.fd)) {
        return "cancelled";
    }
    std::unique_ptr<SSL_CTX, decltype(&::SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()),
                                                                ::SSL_CTX_free);
    if (!context || SSL_CTX_load_verify_locations(context.get(), caFile.c_str(), nullptr) != 1) {
        return "certificate refused: cannot read the CA file " + caFile;
    }
    if (!clientCertificate.empty() &&
        (SSL_CTX_use_certificate_chain_file(context.get(), clientCertificate.c_str()) != 1 ||
         SSL_CTX_use_PrivateKey_file(context.get(), clientKey.c_str(), SSL_FILETYPE_PEM) != 1)) {
        return "cannot read the client certificate or its key";
    }
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    std::unique_ptr<SSL, decltype(&::SSL_free)> tls(SSL_new(context.get()), ::SSL_free);
    SSL_set_fd(tls.get(), socket.fd);
    SSL_set_tlsext_host_name(tls.get(), address.host.c_str());
    SSL_set1_host(tls.get(), address.host.c_str());
    int connected = SSL_connect(tls.get());
    long verdict = SSL_get_verify_result(tls.get());
    ERR_clear_error();
    if (!use(socket.fd)) {
        return "cancelled";
    }
    if (verdict != X509_V_OK) {
        return std::string("certificate refused: ") + X509_verify_cert_error_string(verdict);
    }
    if (connected != 1) {
        return "TLS handshake failed";
    }
    SSL_shutdown(tls.get());
    return std::nullopt;
}

}  // namespace veyrune
