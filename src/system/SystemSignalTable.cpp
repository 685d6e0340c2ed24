#include "system/SystemSignalTable.h"

#include <array>

namespace veyrune {

namespace {

using enum SystemSignal;
using Kind = SecurityEventKind;

// The "source" texts of the watcher's events, all in one place.
constexpr std::array<SystemSignalEntry, 9> table = {{
    {prepareForSleepFalse, Kind::didWake, "logind.PrepareForSleep"},
    {prepareForSleepTrue, Kind::willSleep, "logind.PrepareForSleep"},
    {sessionLock, Kind::screenLocked, "logind.Session.Lock"},
    {sessionLockedHintTrue, Kind::screenLocked, "logind.Session.LockedHint"},
    {screenSaverActiveTrue, Kind::screenLocked, "org.freedesktop.ScreenSaver.ActiveChanged"},
    {sessionUnlock, Kind::screenUnlocked, "logind.Session.Unlock"},
    {sessionLockedHintFalse, Kind::screenUnlocked, "logind.Session.LockedHint"},
    {screenSaverActiveFalse, Kind::screenUnlocked, "org.freedesktop.ScreenSaver.ActiveChanged"},
    {sessionActiveTrue, Kind::screenUnlocked, "logind.Session.Active"},
}};

}  // namespace

std::span<const SystemSignalEntry> systemSignalTable() {
    return table;
}

}  // namespace veyrune
