#include "system/SessionLockState.h"

namespace veyrune {

SessionLockState::SessionLockState(MainThreadTimer& timer, ChangeHandler onChange,
                                   std::chrono::milliseconds graceTime)
    : timer_(timer), onChange_(std::move(onChange)), graceTime_(graceTime) {}

SessionLockState::~SessionLockState() {
    cancelPendingLock();
}

void SessionLockState::start(const SessionLockSnapshot& snapshot) {
    cancelPendingLock();
    // A LockedHint of false at start may only mean that no locker maintains it.
    lockedHint_ = snapshot.lockedHint == true ? std::optional<bool>(true) : std::nullopt;
    active_ = snapshot.active.value_or(true);
    lockedByRequest_ = false;
    screenSaverLocked_ = false;
    reportedLocked_ = isLocked();
    reportedUnlocked_ = active_ && !reportedLocked_;
}

void SessionLockState::lockRequested() {
    if (isLocked() || lockPending_) {
        return;
    }
    lockPending_ = true;
    timer_.start(graceTime_, [this] { graceTimeEnded(); });
}

void SessionLockState::graceTimeEnded() {
    lockPending_ = false;
    lockedByRequest_ = true;
    settle(SessionLockCause::lockRequest);
}

void SessionLockState::unlockRequested() {
    cancelPendingLock();
    lockedByRequest_ = false;
    screenSaverLocked_ = false;
    settle(SessionLockCause::unlockRequest);
}

void SessionLockState::lockedHintChanged(bool lockedHint) {
    if (lockedHint_ == lockedHint) {
        return;
    }
    lockedHint_ = lockedHint;
    if (lockedHint) {
        cancelPendingLock();
    } else {
        lockedByRequest_ = false;
        screenSaverLocked_ = false;
    }
    settle(SessionLockCause::lockedHint);
}

void SessionLockState::screenSaverActiveChanged(bool active) {
    if (active && lockPending_) {
        // The screen saver is the locker that answered the Lock request.
        cancelPendingLock();
        lockedByRequest_ = true;
        screenSaverLocked_ = true;
    } else if (!active && screenSaverLocked_) {
        lockedByRequest_ = false;
        screenSaverLocked_ = false;
    } else {
        return;
    }
    settle(SessionLockCause::screenSaver);
}

void SessionLockState::activeChanged(bool active) {
    if (active_ == active) {
        return;
    }
    active_ = active;
    settle(SessionLockCause::sessionActive);
}

bool SessionLockState::isLocked() const {
    return lockedHint_ == true || lockedByRequest_;
}

void SessionLockState::cancelPendingLock() {
    if (lockPending_) {
        lockPending_ = false;
        timer_.cancel();
    }
}

void SessionLockState::settle(SessionLockCause cause) {
    const bool locked = isLocked();
    const bool unlocked = active_ && !locked;
    const bool becameLocked = locked && !reportedLocked_;
    const bool becameUnlocked = unlocked && !reportedUnlocked_;
    reportedLocked_ = locked;
    reportedUnlocked_ = unlocked;
    if (!onChange_) {
        return;
    }
    if (becameLocked) {
        onChange_({true, cause});
    } else if (becameUnlocked) {
        onChange_({false, cause});
    }
}

}  // namespace veyrune
