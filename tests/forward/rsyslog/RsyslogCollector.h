#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace veyrune::test {

// A real rsyslogd with imrelp over TLS on 127.0.0.1, in its own folder: a CA
// and a server certificate made for it with openssl (naming
// `certificateName`), a configuration that writes each message's body alone
// to a file, and a free port kept across restarts. With `clientCA` set the
// collector asks for a client certificate signed by that CA (mutual TLS).
// Stopped and its files left to the folder's owner on destruction.
class RsyslogCollector {
  public:
    explicit RsyslogCollector(std::filesystem::path folder,
                              std::string certificateName = "localhost",
                              bool requireClientCertificate = false);
    ~RsyslogCollector();
    RsyslogCollector(const RsyslogCollector&) = delete;
    RsyslogCollector& operator=(const RsyslogCollector&) = delete;

    // Starts rsyslogd and waits until its port takes connections.
    void start();
    // SIGTERM and wait: rsyslogd writes what it acknowledged before it ends.
    void stop();

    // "localhost:PORT".
    std::string address() const;
    std::filesystem::path caFile() const { return folder_ / "ca.pem"; }
    // A client certificate and key signed by the same CA.
    std::filesystem::path clientCertificate() const { return folder_ / "client.pem"; }
    std::filesystem::path clientKey() const { return folder_ / "client.key"; }
    std::filesystem::path receivedFile() const { return folder_ / "received.log"; }
    // What rsyslogd said on its standard output and error.
    std::string log() const;
    // The bodies received so far, one per line.
    std::vector<std::string> received() const;

  private:
    void makeCertificates(const std::string& certificateName);
    void writeConfiguration(bool requireClientCertificate);

    std::filesystem::path folder_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// Runs a shell command; throws std::runtime_error when it fails.
void runCommand(const std::string& command);

}  // namespace veyrune::test
