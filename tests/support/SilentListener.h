#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace veyrune::test {

// A TCP port on 127.0.0.1 that takes connections (the kernel completes them)
// and never says a word: no TLS handshake, no reply.
class SilentListener {
  public:
    SilentListener() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(socket_, 16) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("the silent listener could not open a port");
        }
        port_ = ntohs(address.sin_port);
    }
    ~SilentListener() { ::close(socket_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    // "HOST:PORT" for CurlHTTPClient::Options::connectTo.
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    int socket_;
    int port_ = 0;
};

}  // namespace veyrune::test
