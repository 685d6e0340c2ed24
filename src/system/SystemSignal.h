#pragma once

namespace veyrune {

// The power and session signals a `SystemEventSource` reports without details
// of their own. Each is named after the Linux signal that carries it.
enum class SystemSignal {
    prepareForSleepFalse,    // logind Manager.PrepareForSleep(false): the system woke
    prepareForSleepTrue,     // logind Manager.PrepareForSleep(true): the system will sleep
    sessionLock,             // logind Session.Lock
    sessionLockedHintTrue,   // logind Session property LockedHint turning true
    screenSaverActiveTrue,   // org.freedesktop.ScreenSaver.ActiveChanged(true)
    sessionUnlock,           // logind Session.Unlock
    sessionLockedHintFalse,  // logind Session property LockedHint turning false
    screenSaverActiveFalse,  // org.freedesktop.ScreenSaver.ActiveChanged(false)
    sessionActiveTrue,       // logind Session property Active turning true
};

}  // namespace veyrune
