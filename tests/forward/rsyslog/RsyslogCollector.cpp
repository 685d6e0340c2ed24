#include "RsyslogCollector.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "support/TempDirectory.h"
#include "support/WaitUntil.h"

extern char** environ;

namespace veyrune::test {

namespace {

int freePort() {
    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socket, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socket);
    return ntohs(address.sin_port);
}

bool acceptsConnections(int port) {
    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    bool connected = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

}  // namespace

void runCommand(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
}

RsyslogCollector::RsyslogCollector(std::filesystem::path folder, std::string certificateName)
    : folder_(std::move(folder)), port_(freePort()) {
    std::filesystem::create_directories(folder_ / "work");
    makeCertificates(certificateName);
    writeConfiguration();
}

RsyslogCollector::~RsyslogCollector() {
    stop();
}

void RsyslogCollector::makeCertificates(const std::string& certificateName) {
    auto in = "cd '" + folder_.string() + "' && ";
    auto quiet = " >/dev/null 2>&1";
    runCommand(in + "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem " +
               "-days 2 -subj '/CN=Veyrune test CA'" + quiet);
    const std::string& name = certificateName;
    runCommand(in + "openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr " +
               "-subj '/CN=" + name + "'" + quiet);
    std::ofstream(folder_ / "server.ext")
        << "subjectAltName=DNS:" << name << (name == "localhost" ? ",IP:127.0.0.1" : "") << "\n";
    runCommand(in + "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key " +
               "-CAcreateserial -out server.pem -days 2 -extfile server.ext" + quiet);
}

std::pair<std::filesystem::path, std::filesystem::path> RsyslogCollector::makeClientCertificate(
    const std::string& name) const {
    auto in = "cd '" + folder_.string() + "' && ";
    auto quiet = " >/dev/null 2>&1";
    runCommand(in + "openssl req -newkey rsa:2048 -nodes -keyout '" + name + ".key' -out '" + name +
               ".csr' -subj '/CN=" + name + "'" + quiet);
    std::ofstream(folder_ / (name + ".ext")) << "subjectAltName=DNS:" << name << "\n";
    runCommand(in + "openssl x509 -req -in '" + name + ".csr' -CA ca.pem -CAkey ca.key " +
               "-CAcreateserial -out '" + name + ".pem' -days 2 -extfile '" + name + ".ext'" +
               quiet);
    return {folder_ / (name + ".pem"), folder_ / (name + ".key")};
}

void RsyslogCollector::requireClientCertificate(const std::string& peer) {
    permittedPeer_ = peer;
    writeConfiguration();
}

void RsyslogCollector::writeConfiguration() {
    auto path = [this](const char* name) { return (folder_ / name).string(); };
    std::ofstream config(folder_ / "rsyslog.conf");
    config << "global(workDirectory=\"" << path("work") << "\" maxMessageSize=\"64k\")\n"
           << "module(load=\"imrelp\" tls.tlslib=\"openssl\")\n"
           << "input(type=\"imrelp\" address=\"127.0.0.1\" port=\"" << port_ << "\" tls=\"on\""
           << " tls.caCert=\"" << path("ca.pem") << "\" tls.myCert=\"" << path("server.pem")
           << "\" tls.myPrivKey=\"" << path("server.key") << "\"";
    if (!permittedPeer_.empty()) {
        config << " tls.authMode=\"name\" tls.permittedPeer=[\"" << permittedPeer_ << "\"]";
    }
    config << ")\n"
           << "template(name=\"body\" type=\"string\" string=\"%msg%\\n\")\n"
           << "*.* action(type=\"omfile\" file=\"" << path("received.log")
           << "\" template=\"body\")\n";
}

void RsyslogCollector::start() {
    std::vector<std::string> argv{"rsyslogd", "-n",
                                  "-f",       (folder_ / "rsyslog.conf").string(),
                                  "-i",       (folder_ / "rsyslogd.pid").string()};
    std::vector<char*> args;
    for (auto& arg : argv) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    // Its complaints go to a file, never into the test's output pipes.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    auto log = (folder_ / "rsyslogd.out").string();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    int failed = ::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("cannot start rsyslogd");
    }
    if (!waitUntil([this] { return acceptsConnections(port_); })) {
        throw std::runtime_error("rsyslogd does not listen");
    }
}

void RsyslogCollector::pause() {
    ::kill(pid_, SIGSTOP);
}

void RsyslogCollector::resume() {
    ::kill(pid_, SIGCONT);
}

void RsyslogCollector::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGCONT);
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::string RsyslogCollector::address() const {
    return "localhost:" + std::to_string(port_);
}

std::vector<std::string> RsyslogCollector::received() const {
    std::vector<std::string> lines;
    std::ifstream file(receivedFile());
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace veyrune::test

namespace veyrune::test {

std::string RsyslogCollector::log() const {
    std::ifstream file(folder_ / "rsyslogd.out");
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace veyrune::test
