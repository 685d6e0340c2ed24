#pragma once

#include <functional>

#include "base/Clock.h"
#include "record/EventContext.h"
#include "record/RawSystemEvent.h"
#include "system/DisplayNameCache.h"
#include "system/SystemEventDetails.h"
#include "system/SystemEventSource.h"
#include "system/WakeReasonProviding.h"

namespace veyrune {

// Turns every system signal of a `SystemEventSource` into one `RawSystemEvent`
// (new identifier, the clock's time) and hands it to `rawEventHandler`,
// synchronously on the main thread; no filtering, no merging. One per process,
// built by the application and never destroyed before the source. `source`,
// `wakeReasons` and `clock` must outlive it. Main thread, except the display
// name cache, which has its own lock.
class SystemEventWatcher {
  public:
    using RawEventHandler = std::function<void(const RawSystemEvent&)>;

    // Registers nothing.
    SystemEventWatcher(SystemEventSource& source, WakeReasonProviding& wakeReasons, Clock& clock,
                       RawEventHandler handler = {});
    SystemEventWatcher(const SystemEventWatcher&) = delete;
    SystemEventWatcher& operator=(const SystemEventWatcher&) = delete;

    // Receives every event; may be replaced at any time on the main thread.
    // Empty: events are dropped.
    RawEventHandler rawEventHandler;

    // Registers every source: wake, sleep, lock, unlock, session activation,
    // mount, unmount, USB, displays (after filling the name cache), audio.
    // Meant to be called once; reports no failure (a source that cannot be
    // registered simply raises no events).
    void start();

    // Battery, Wi-Fi name, machine name and user name as they are now;
    // `wakeReason` is left absent. Reads none of the watcher's state.
    EventContext currentEventContext() const;

  private:
    void deliver(SecurityEventKind kind, EventDetails details) const;
    void startUsb();
    void startDisplays();
    void handleSignal(SecurityEventKind kind, std::string_view source);
    void handleDisplayReconfiguration(std::uint32_t displayID, std::uint32_t flags);

    SystemEventSource& source_;
    WakeReasonProviding& wakeReasons_;
    Clock& clock_;
    bool displayCallbackInstalled_ = false;
    DisplayNameCache displayNames_;
};

}  // namespace veyrune
