#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace veyrune::test {

// A real rsyslogd with imrelp over TLS on 127.0.0.1, in its own folder: a CA
// and a server certificate made for it with openssl (naming
// `certificateName`), a configuration that writes each message's body alone
// to a file, and a free port kept across restarts. Stopped on destruction;
// its files are left to the folder's owner.
class RsyslogCollector {
  public:
    explicit RsyslogCollector(std::filesystem::path folder,
                              std::string certificateName = "localhost");
    ~RsyslogCollector();
    RsyslogCollector(const RsyslogCollector&) = delete;
    RsyslogCollector& operator=(const RsyslogCollector&) = delete;

    // From the next start on, only clients whose certificate (from this CA)
    // names `peer` get in.
    void requireClientCertificate(const std::string& peer);
    // A client certificate from this collector's CA naming `name`: {certificate, key}.
    std::pair<std::filesystem::path, std::filesystem::path> makeClientCertificate(
        const std::string& name) const;

    // Starts rsyslogd and waits until its port takes connections.
    void start();
    // SIGTERM and wait: rsyslogd writes what it acknowledged before it ends.
    void stop();
    // SIGSTOP: the kernel still takes connections, nobody answers. resume() undoes it.
    void pause();
    void resume();

    // "localhost:PORT".
    std::string address() const;
    std::filesystem::path caFile() const { return folder_ / "ca.pem"; }
    std::filesystem::path receivedFile() const { return folder_ / "received.log"; }
    // What rsyslogd said on its standard output and error.
    std::string log() const;
    // The bodies received so far, one per line.
    std::vector<std::string> received() const;

  private:
    void makeCertificates(const std::string& certificateName);
    void writeConfiguration();

    std::filesystem::path folder_;
    std::string permittedPeer_;  // empty: no client certificate asked for
    int port_ = 0;
    pid_t pid_ = -1;
};

// Runs a shell command; throws std::runtime_error when it fails.
void runCommand(const std::string& command);

}  // namespace veyrune::test
