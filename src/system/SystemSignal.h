#pragma once

namespace veyrune {

// The power and session signals a `SystemEventSource` reports without details
// of their own. A session's lock signals are merged first: each screen lock or
// unlock is reported once, named after the signal that completed it.
enum class SystemSignal {
    prepareForSleepFalse,     // logind Manager.PrepareForSleep(false): the system woke
    prepareForSleepTrue,      // logind Manager.PrepareForSleep(true): the system will sleep
    lockedByLockRequest,      // logind Session.Lock that no locker confirmed in time
    lockedByLockedHint,       // logind Session property LockedHint turning true
    lockedByScreenSaver,      // the screen saver turning active to answer Session.Lock
    unlockedByUnlockRequest,  // logind Session.Unlock
    unlockedByLockedHint,     // logind Session property LockedHint turning false
    unlockedByScreenSaver,    // that screen saver turning inactive
    unlockedBySessionActive,  // logind Session property Active turning true while unlocked
};

}  // namespace veyrune
