#include "forward/HostLookup.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <mutex>
#include <system_error>
#include <thread>

#include "forward/LineSink.h"

namespace veyrune {

namespace {

// One lookup, shared by the caller and the thread doing it: a caller that
// gives up leaves, and the thread ends it whenever the name server answers.
struct Lookup {
    int finished = ::eventfd(0, EFD_CLOEXEC);
    std::mutex mutex;
    int state = EAI_SYSTEM;      // guarded by mutex
    addrinfo* result = nullptr;  // guarded by mutex

    ~Lookup() {
        if (result) {
            ::freeaddrinfo(result);
        }
        if (finished >= 0) {
            ::close(finished);
        }
    }
};

void run(const std::shared_ptr<Lookup>& lookup, const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    int state = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    {
        std::lock_guard lock(lookup->mutex);
        lookup->state = state;
        lookup->result = found;
    }
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(lookup->finished, &one, sizeof one);
}

// Waits for the lookup, the cancel signal or the deadline; true when the lookup ended.
bool waitFor(const Lookup& lookup, const CancelSignal& cancel,
             std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entries[2] = {{lookup.finished, POLLIN, 0}, {cancel.fd(), POLLIN, 0}};
        int ready = ::poll(entries, 2, int(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (entries[1].revents & POLLIN) {
            throw LineSinkError("cancelled");
        }
        if (entries[0].revents & POLLIN) {
            return true;
        }
    }
}

}  // namespace

AddressList lookUpHost(const std::string& host, const std::string& port, const CancelSignal& cancel,
                       std::chrono::milliseconds patience) {
    auto lookup = std::make_shared<Lookup>();
    if (lookup->finished < 0) {
        throw LineSinkError("host not found: no event descriptor for the lookup");
    }
    auto deadline = std::chrono::steady_clock::now() + patience;
    try {
        std::thread([lookup, host, port] { run(lookup, host, port); }).detach();
    } catch (const std::system_error&) {
        throw LineSinkError("host not found: no thread for the lookup");
    }
    if (!waitFor(*lookup, cancel, deadline)) {
        throw LineSinkError("no answer from the name server");
    }
    std::lock_guard lock(lookup->mutex);
    if (lookup->state != 0 || !lookup->result) {
        throw LineSinkError("host not found");
    }
    AddressList found(lookup->result, ::freeaddrinfo);
    lookup->result = nullptr;
    return found;
}

}  // namespace veyrune
