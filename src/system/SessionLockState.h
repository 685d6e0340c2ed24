#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "system/MainThreadTimer.h"

namespace veyrune {

// The session signal that completed a change of the lock state.
enum class SessionLockCause {
    lockRequest,    // logind Session.Lock (confirmed by nothing within the grace time)
    unlockRequest,  // logind Session.Unlock
    lockedHint,     // logind Session property LockedHint
    screenSaver,    // org.freedesktop.ScreenSaver.ActiveChanged of a screen saver that locks
    sessionActive,  // logind Session property Active turning true
};

struct SessionLockChange {
    bool locked;
    SessionLockCause cause;

    bool operator==(const SessionLockChange&) const = default;
};

// What the session said of itself when listening began; absent when unknown.
struct SessionLockSnapshot {
    std::optional<bool> lockedHint;
    std::optional<bool> active;
};

// One session's lock state, fed by every lock signal the desktop sends, so
// that one real change gives exactly one `SessionLockChange`:
// - LockedHint decides once it is known to be maintained (it was true at
//   start or has changed since);
// - a Lock request counts as a lock when a locker confirms it (LockedHint or
//   the screen saver turning active) or when nothing does within the grace
//   time; an Unlock request ends a lock that LockedHint does not hold;
// - a screen saver turning active on its own is no lock (the displays sleep);
//   its turning inactive ends only a lock it confirmed;
// - the session becoming active is an unlock only when it is not locked.
// Reports a lock when the session becomes locked, and an unlock when it
// becomes both unlocked and active. Main thread; `timer` must outlive it.
class SessionLockState {
  public:
    using ChangeHandler = std::function<void(const SessionLockChange&)>;
    static constexpr std::chrono::milliseconds defaultGraceTime{3000};

    SessionLockState(MainThreadTimer& timer, ChangeHandler onChange,
                     std::chrono::milliseconds graceTime = defaultGraceTime);
    ~SessionLockState();
    SessionLockState(const SessionLockState&) = delete;
    SessionLockState& operator=(const SessionLockState&) = delete;

    // Takes the state the session is in now; reports nothing.
    void start(const SessionLockSnapshot& snapshot);

    void lockRequested();
    void unlockRequested();
    void lockedHintChanged(bool lockedHint);
    void screenSaverActiveChanged(bool active);
    void activeChanged(bool active);

    bool isLocked() const;

  private:
    void graceTimeEnded();
    void cancelPendingLock();
    void settle(SessionLockCause cause);

    MainThreadTimer& timer_;
    ChangeHandler onChange_;
    std::chrono::milliseconds graceTime_;
    std::optional<bool> lockedHint_;  // absent while not known to be maintained
    bool active_ = true;
    bool lockPending_ = false;        // a Lock request waits for its locker
    bool lockedByRequest_ = false;    // a lock LockedHint does not show
    bool screenSaverLocked_ = false;  // the screen saver confirmed that lock
    bool reportedLocked_ = false;
    bool reportedUnlocked_ = true;  // unlocked and active
};

}  // namespace veyrune
