#pragma once

#include <functional>

namespace veyrune {

// What announced the end of the process.
enum class ShutdownSignal {
    powerOff,     // the system is about to power off or reboot
    termination,  // SIGTERM or SIGINT
};

// Tells once that the process is about to end, so held alerts can be flushed.
// The Linux binding holds a logind shutdown delay inhibitor until the handler
// has returned. Main thread.
class ShutdownSignalSource {
  public:
    virtual ~ShutdownSignalSource() = default;
    // `handler` runs on the main thread at most once, for the first signal;
    // later signals are ignored. One handler; a later call replaces it.
    virtual void observeShutdown(std::function<void(ShutdownSignal)> handler) = 0;
};

}  // namespace veyrune
