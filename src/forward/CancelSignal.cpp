#include "forward/CancelSignal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "forward/LineSink.h"

namespace veyrune {

CancelSignal::CancelSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) {
        throw LineSinkError("cannot make an event descriptor");
    }
}

CancelSignal::~CancelSignal() {
    ::close(fd_);
}

void CancelSignal::raise() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(fd_, &one, sizeof one);
}

void CancelSignal::clear() {
    std::uint64_t value = 0;
    [[maybe_unused]] auto read = ::read(fd_, &value, sizeof value);
}

bool CancelSignal::raised() const {
    pollfd entry{fd_, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1;
}

}  // namespace veyrune
