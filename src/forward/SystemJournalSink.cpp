#include "forward/SystemJournalSink.h"

// Without this libsystemd adds the caller's source file and line to every entry.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "forward/JournalEntry.h"

namespace veyrune {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Where libsystemd sends entries; it cannot be changed.
constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

// The texts Diagnostics shows.
constexpr const char* kNotRunning = "the system journal is not running";
constexpr const char* kStalled = "the system journal is not taking entries";
constexpr const char* kCancelled = "sending to the system journal was stopped";
constexpr const char* kNotAllowed = "Veyrune may not write to the system journal";

std::string refusedText(int error) {
    return "the system journal refused an entry (" + std::string(std::strerror(error)) + ")";
}

// A socket connected to the journal's, never written: it shows whether the
// journal has room, which a datagram sent into a full queue would not (it
// blocks). Connecting also tells a missing journal apart, which libsystemd
// hides by reporting success.
class JournalProbe {
  public:
    JournalProbe() : fd_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        if (fd_ < 0) {
            throw LineSinkError(refusedText(errno));
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, kJournalSocket, sizeof(address.sun_path) - 1);
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            int error = errno;
            ::close(fd_);
            if (error == ENOENT || error == ECONNREFUSED || error == ENOTDIR) {
                throw LineSinkError(kNotRunning);
            }
            throw LineSinkError(error == EACCES ? std::string(kNotAllowed) : refusedText(error));
        }
    }
    ~JournalProbe() { ::close(fd_); }
    JournalProbe(const JournalProbe&) = delete;
    JournalProbe& operator=(const JournalProbe&) = delete;

    int fd() const { return fd_; }

  private:
    int fd_;
};

enum class Room { ready, cancelled, stalled };

// Waits for `notBefore` (the pace), then for room in the journal's queue.
Room waitForRoom(const JournalProbe& probe, int cancelled, std::chrono::milliseconds limit,
                 SteadyClock::time_point notBefore) {
    for (auto now = SteadyClock::now(); now < notBefore; now = SteadyClock::now()) {
        pollfd fd{cancelled, POLLIN, 0};
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(notBefore - now);
        if (::poll(&fd, 1, static_cast<int>(wait.count())) > 0) {
            return Room::cancelled;
        }
    }
    pollfd fds[2] = {{cancelled, POLLIN, 0}, {probe.fd(), POLLOUT, 0}};
    for (;;) {
        int ready = ::poll(fds, 2, static_cast<int>(limit.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (fds[0].revents != 0) {
            return Room::cancelled;
        }
        // An error on the probe (the journal went away) shows in the send.
        return ready > 0 ? Room::ready : Room::stalled;
    }
}

// Sends one entry; 0 or a negative errno.
int sendEntry(const JournalEntry& entry) {
    std::vector<std::string> assignments;
    assignments.reserve(entry.fields.size());
    std::vector<iovec> parts;
    parts.reserve(entry.fields.size());
    for (const auto& field : entry.fields) {
        // libsystemd sends a value holding a line break in the journal's
        // length-prefixed form, so every byte arrives unchanged.
        assignments.push_back(field.name + "=" + field.value);
        parts.push_back({assignments.back().data(), assignments.back().size()});
    }
    return sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
}

std::string failureText(int negativeErrno) {
    int error = -negativeErrno;
    if (error == ECONNREFUSED || error == ENOENT) {
        return kNotRunning;
    }
    if (error == EACCES || error == EPERM) {
        return kNotAllowed;
    }
    return refusedText(error);
}

}  // namespace

SystemJournalSink::SystemJournalSink() : SystemJournalSink(std::chrono::seconds(10), Pace{}) {}

SystemJournalSink::SystemJournalSink(std::chrono::milliseconds stallLimit, Pace pace)
    : stallLimit_(stallLimit), pace_(pace), cancelled_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (cancelled_ < 0) {
        throw LineSinkError(refusedText(errno));
    }
}

SystemJournalSink::~SystemJournalSink() {
    ::close(cancelled_);
}

std::size_t SystemJournalSink::send(std::span<const ForwardedLine> lines) {
    JournalProbe probe;  // also answers an empty send(): is the journal there?
    std::size_t taken = 0;
    for (const auto& line : lines) {
        auto notBefore = recent_.size() < pace_.lines ? SteadyClock::time_point::min()
                                                      : recent_.front() + pace_.interval;
        if (taken > 0 && notBefore > SteadyClock::now()) {
            return taken;  // what went so far counts before the wait for the pace
        }
        std::string failure;
        switch (waitForRoom(probe, cancelled_, stallLimit_, notBefore)) {
            case Room::cancelled:
                failure = kCancelled;
                break;
            case Room::stalled:
                failure = kStalled;
                break;
            case Room::ready:
                if (int result = sendEntry(JournalEntry::make(line, decoder_)); result < 0) {
                    failure = failureText(result);
                }
                break;
        }
        if (!failure.empty()) {
            if (taken > 0) {
                return taken;  // the next call meets the failure again and throws
            }
            throw LineSinkError(failure);
        }
        recent_.push_back(SteadyClock::now());
        if (recent_.size() > pace_.lines) {
            recent_.pop_front();
        }
        ++taken;
    }
    return taken;
}

void SystemJournalSink::cancel() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(cancelled_, &one, sizeof(one));
}

void SystemJournalSink::reset() {
    std::uint64_t count = 0;
    [[maybe_unused]] auto drained = ::read(cancelled_, &count, sizeof(count));
}

}  // namespace veyrune
