#include "forward/HostLookup.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <fstream>
#include <future>
#include <thread>

#include "forward/LineSink.h"
#include "support/TempDirectory.h"

namespace veyrune {
namespace {

// A name server that takes every question and never answers, made the only
// one this process asks: its own mount namespace gets a resolv.conf naming it.
class SilentNameServer {
  public:
    explicit SilentNameServer(const std::filesystem::path& folder) {
        if (::geteuid() != 0) {
            throw std::runtime_error(
                "a silent name server needs root (port 53, a mount namespace)");
        }
        socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        ::inet_pton(AF_INET, "127.0.0.77", &address.sin_addr);
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            throw std::runtime_error("cannot bind 127.0.0.77:53");
        }
        auto conf = folder / "resolv.conf";
        std::ofstream(conf) << "nameserver 127.0.0.77\noptions timeout:30 attempts:1\n";
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(conf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
            throw std::runtime_error("cannot point this process at the silent name server");
        }
    }
    ~SilentNameServer() { ::close(socket_); }

  private:
    int socket_ = -1;
};

std::string outcomeOf(const CancelSignal& cancel, std::chrono::milliseconds patience) {
    try {
        lookUpHost("collector.example.org", "2514", cancel, patience);
        return "resolved";
    } catch (const LineSinkError& error) {
        return error.what();
    }
}

// Without the cut, a lookup waits for the resolver's own 30 s timeout and then
// reads "host not found": quitting would wait on the name server.
TEST(HostLookup, AStalledNameServerIsCutShortByCancelAndByPatience) {
    test::TempDirectory folder;
    SilentNameServer silent(folder.path());

    CancelSignal cancel;
    auto held =
        std::async(std::launch::async, [&] { return outcomeOf(cancel, std::chrono::minutes(5)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel.raise();
    EXPECT_EQ(held.get(), "cancelled");

    CancelSignal idle;
    EXPECT_EQ(outcomeOf(idle, std::chrono::milliseconds(300)), "no answer from the name server");
}

TEST(HostLookup, NumericAddressesNeedNoNameServer) {
    test::TempDirectory folder;
    SilentNameServer silent(folder.path());
    CancelSignal cancel;
    EXPECT_NO_THROW(lookUpHost("127.0.0.1", "2514", cancel, std::chrono::seconds(1)));
    EXPECT_NO_THROW(lookUpHost("::1", "2514", cancel, std::chrono::seconds(1)));
}

}  // namespace
}  // namespace veyrune
