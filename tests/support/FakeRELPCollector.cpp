#include "support/FakeRELPCollector.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <stdexcept>

#include "forward/RELPFrame.h"

namespace veyrune::test {

namespace {

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A self-signed certificate for "localhost" on a fresh P-256 key, in `context`
// and as PEM in `file`.
void makeCertificate(SSL_CTX* context, const std::filesystem::path& file) {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    addExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(certificate, NID_subject_alt_name, "DNS:localhost");
    X509_sign(certificate, key, EVP_sha256());
    SSL_CTX_use_certificate(context, certificate);
    SSL_CTX_use_PrivateKey(context, key);
    FILE* out = std::fopen(file.c_str(), "w");
    PEM_write_X509(out, certificate);
    std::fclose(out);
    X509_free(certificate);
    EVP_PKEY_free(key);
}

// Reads frames off a blocking TLS connection; nothing once it ends.
struct FrameSource {
    SSL* tls;
    RELPFrameReader reader;
    std::optional<RELPFrame> next() {
        for (;;) {
            if (auto frame = reader.next()) {
                return frame;
            }
            char buffer[16384];
            int count = SSL_read(tls, buffer, sizeof buffer);
            if (count <= 0) {
                return std::nullopt;
            }
            reader.feed({buffer, std::size_t(count)});
        }
    }
};

void reply(SSL* tls, const RELPFrame& frame) {
    std::string out;
    frame.appendTo(out);
    SSL_write(tls, out.data(), int(out.size()));
}

}  // namespace

FakeRELPCollector::FakeRELPCollector(std::filesystem::path folder, std::vector<Session> script)
    : folder_(std::move(folder)), script_(std::move(script)) {
    // A client that leaves mid-answer must not end the test process.
    ::signal(SIGPIPE, SIG_IGN);
    context_ = SSL_CTX_new(TLS_server_method());
    makeCertificate(context_, certificateFile());
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0) {
        throw std::runtime_error("the fake collector cannot listen");
    }
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

FakeRELPCollector::~FakeRELPCollector() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
    SSL_CTX_free(context_);
}

std::vector<std::string> FakeRELPCollector::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void FakeRELPCollector::serve() {
    for (std::size_t next = 0; !stopping_; ++next) {
        int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            return;
        }
        SSL* tls = SSL_new(context_);
        SSL_set_fd(tls, connection);
        if (SSL_accept(tls) == 1) {
            serveSession(tls, next < script_.size() ? script_[next] : Session{});
        }
        SSL_free(tls);  // no TLS goodbye: a dropped connection looks like a crash
        ::close(connection);
    }
}

void FakeRELPCollector::serveSession(SSL* tls, const Session& session) {
    FrameSource source{tls, {}};
    int lines = 0;
    while (auto frame = source.next()) {
        if (frame->command == "open") {
            reply(tls, {frame->transaction, "rsp",
                        "200 OK\nrelp_version=0\nrelp_software=fake\ncommands=syslog"});
        } else if (frame->command == "close") {
            reply(tls, {frame->transaction, "rsp", ""});
            reply(tls, {0, "serverclose", ""});
            return;
        } else if (frame->command == "syslog") {
            {
                std::lock_guard lock(mutex_);
                received_.push_back(frame->data);
            }
            ++lines;
            if (session.answered < 0 || lines <= session.answered) {
                reply(tls, {frame->transaction, "rsp", "200 OK"});
            } else if (lines == session.answered + 1 && !session.reply.empty()) {
                SSL_write(tls, session.reply.data(), int(session.reply.size()));
            }
            if (session.dropAfter >= 0 && lines >= session.dropAfter) {
                return;
            }
        }
    }
}

}  // namespace veyrune::test
