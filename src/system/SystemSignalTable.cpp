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
    {lockedByLockRequest, Kind::screenLocked, "logind.Session.Lock"},
    {lockedByLockedHint, Kind::screenLocked, "logind.Session.LockedHint"},
    {lockedByScreenSaver, Kind::screenLocked, "org.freedesktop.ScreenSaver.ActiveChanged"},
    {unlockedByUnlockRequest, Kind::screenUnlocked, "logind.Session.Unlock"},
    {unlockedByLockedHint, Kind::screenUnlocked, "logind.Session.LockedHint"},
    {unlockedByScreenSaver, Kind::screenUnlocked, "org.freedesktop.ScreenSaver.ActiveChanged"},
    {unlockedBySessionActive, Kind::screenUnlocked, "logind.Session.Active"},
}};

}  // namespace

std::span<const SystemSignalEntry> systemSignalTable() {
    return table;
}

}  // namespace veyrune
