#pragma once

#include <cstdint>
#include <functional>

namespace veyrune {

// Tells when the displays go to sleep (on Linux: the session's screen saver
// turning active). Thread-safe.
class DisplaySleepSource {
  public:
    using ObserverID = std::uint64_t;

    virtual ~DisplaySleepSource() = default;
    // `observer` runs on the source's thread each time the displays go to sleep.
    virtual ObserverID addObserver(std::function<void()> observer) = 0;
    // After this returns, the observer is not called again.
    virtual void removeObserver(ObserverID id) = 0;
};

}  // namespace veyrune
