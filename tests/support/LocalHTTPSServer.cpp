#include "support/LocalHTTPSServer.h"

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

bool isServerBookkeeping(const std::string& name) {
    return name == "LOCAL_ADDR" || name == "LOCAL_PORT" || name == "REMOTE_ADDR" ||
           name == "REMOTE_PORT";
}

}  // namespace

LocalHTTPSServer::LocalHTTPSServer()
    : server_(processCertificate().certificate.c_str(), processCertificate().key.c_str()) {
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
    }
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
