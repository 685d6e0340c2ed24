#include "support/LocalHTTPSServer.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

#include "support/TempDirectory.h"

namespace veyrune::test {

namespace {

struct Certificate {
    TempDirectory folder;
    std::string certificate = (folder / "cert.pem").string();
    std::string key = (folder / "key.pem").string();
};

void generate(const Certificate& certificate) {
    std::string names =
        "DNS:localhost,IP:127.0.0.1,DNS:api.telegram.org,DNS:discord.com,DNS:*.discord.com,"
        "DNS:discordapp.com,DNS:*.discordapp.com,DNS:hooks.slack.com,DNS:hooks.example.com";
    std::string command = "openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -keyout '" +
                          certificate.key + "' -out '" + certificate.certificate +
                          "' -subj /CN=localhost -addext subjectAltName=" + names +
                          " -addext basicConstraints=critical,CA:FALSE"
                          " -addext extendedKeyUsage=serverAuth >/dev/null 2>&1 </dev/null";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("openssl could not make a test certificate");
    }
}

// Made once per test program; removed when it exits.
const Certificate& processCertificate() {
    static Certificate certificate;
    static std::once_flag made;
    std::call_once(made, [] { generate(certificate); });
    return certificate;
}

// Names the same hosts, but no client is told to trust it.
const Certificate& strangerCertificate() {
    static Certificate certificate;
    static std::once_flag made;
    std::call_once(made, [] { generate(certificate); });
    return certificate;
}

const Certificate& certificateFor(LocalHTTPSServer::Certificate which) {
    return which == LocalHTTPSServer::Certificate::trusted ? processCertificate()
                                                           : strangerCertificate();
}

constexpr std::size_t kStreamPiece = 64 * 1024;

bool isServerBookkeeping(const std::string& name) {
    return name == "LOCAL_ADDR" || name == "LOCAL_PORT" || name == "REMOTE_ADDR" ||
           name == "REMOTE_PORT";
}

}  // namespace

LocalHTTPSServer::LocalHTTPSServer(Certificate certificate)
    : server_(certificateFor(certificate).certificate.c_str(),
              certificateFor(certificate).key.c_str()) {
    if (!server_.is_valid()) {
        throw std::runtime_error("the test HTTPS server could not load its certificate");
    }
    server_.Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

LocalHTTPSServer::~LocalHTTPSServer() {
    {
        std::lock_guard lock(mutex_);
        releasing_ = true;
    }
    released_.notify_all();
    server_.stop();
    thread_.join();
}

void LocalHTTPSServer::reply(int status, std::string body) {
    std::lock_guard lock(mutex_);
    mode_ = Mode::reply;
    status_ = status;
    body_ = std::move(body);
}

void LocalHTTPSServer::closeMidReply() {
    std::lock_guard lock(mutex_);
    mode_ = Mode::closeMidReply;
}

void LocalHTTPSServer::neverAnswer() {
    std::lock_guard lock(mutex_);
    mode_ = Mode::neverAnswer;
}

void LocalHTTPSServer::endlessReply() {
    std::lock_guard lock(mutex_);
    mode_ = Mode::endlessReply;
}

void LocalHTTPSServer::hugeReply(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    mode_ = Mode::hugeReply;
    hugeBytes_ = bytes;
}

void LocalHTTPSServer::redirect(int status, std::string location) {
    std::lock_guard lock(mutex_);
    mode_ = Mode::redirect;
    status_ = status;
    location_ = std::move(location);
}

std::size_t LocalHTTPSServer::bodyBytesWritten() const {
    std::lock_guard lock(mutex_);
    return bodyBytesWritten_;
}

void LocalHTTPSServer::delayReplies(std::chrono::milliseconds longest) {
    std::lock_guard lock(mutex_);
    longestDelay_ = longest;
}

int LocalHTTPSServer::requestsInProgress() const {
    std::lock_guard lock(mutex_);
    return inProgress_;
}

std::vector<RecordedRequest> LocalHTTPSServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

CurlHTTPClient::Options LocalHTTPSServer::clientOptions(std::chrono::milliseconds timeout) const {
    return {certificateFile(), timeout, "127.0.0.1:" + std::to_string(port_)};
}

const std::string& LocalHTTPSServer::certificateFile() {
    return processCertificate().certificate;
}

void LocalHTTPSServer::handle(const httplib::Request& request, httplib::Response& response) {
    record(request);
    std::unique_lock lock(mutex_);
    if (longestDelay_.count() > 0) {
        delaySeed_ = delaySeed_ * 1103515245u + 12345u;
        auto delay = std::chrono::milliseconds((delaySeed_ >> 8) % (longestDelay_.count() + 1));
        ++inProgress_;
        released_.wait_for(lock, delay, [this] { return releasing_; });
        --inProgress_;
    }
    switch (mode_) {
        case Mode::reply:
            response.status = status_;
            response.set_content(body_, "application/json");
            return;
        case Mode::closeMidReply:
            response.status = 200;
            response.set_content_provider(
                1000, "application/json", [](std::size_t, std::size_t, httplib::DataSink& sink) {
                    sink.write(R"({"ok":)", 6);
                    return false;  // drops the connection with the body unfinished
                });
            return;
        case Mode::neverAnswer:
            released_.wait(lock, [this] { return releasing_; });
            response.status = 500;
            return;
        case Mode::endlessReply:
            streamEndlessly(response);
            return;
        case Mode::hugeReply:
            streamHugeBody(response, hugeBytes_);
            return;
        case Mode::redirect:
            response.status = status_;
            response.set_header("Location", location_);
            return;
    }
}

// Runs on the connection's thread after the handler returned; stops when the
// client goes away or the server is being destroyed.
void LocalHTTPSServer::streamEndlessly(httplib::Response& response) {
    response.status = 200;
    response.set_chunked_content_provider(
        "application/json", [this](std::size_t, httplib::DataSink& sink) {
            {
                std::unique_lock lock(mutex_);
                if (released_.wait_for(lock, std::chrono::milliseconds(20),
                                       [this] { return releasing_; })) {
                    return false;
                }
            }
            std::string piece(64, ' ');
            return written(sink.write(piece.data(), piece.size()), piece.size());
        });
}

void LocalHTTPSServer::streamHugeBody(httplib::Response& response, std::size_t bytes) {
    response.status = 200;
    response.set_content_provider(
        bytes, "application/json",
        [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            static const std::string piece(kStreamPiece, ' ');
            std::size_t size = std::min(length, piece.size());
            (void)offset;
            return written(sink.write(piece.data(), size), size);
        });
}

bool LocalHTTPSServer::written(bool ok, std::size_t bytes) {
    std::lock_guard lock(mutex_);
    if (ok) {
        bodyBytesWritten_ += bytes;
    }
    return ok && !releasing_;
}

void LocalHTTPSServer::record(const httplib::Request& request) {
    RecordedRequest recorded{request.method, request.path, {}, request.body};
    for (const auto& [name, value] : request.headers) {
        if (!isServerBookkeeping(name)) {
            recorded.headers[name] = value;
        }
    }
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(recorded));
}

}  // namespace veyrune::test
