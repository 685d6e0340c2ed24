#pragma once

#include <span>
#include <string_view>

#include "record/SecurityEventKind.h"
#include "system/SystemSignal.h"

namespace veyrune {

// What one system signal becomes: its event kind and its "source" detail.
struct SystemSignalEntry {
    SystemSignal signal;
    SecurityEventKind kind;
    std::string_view source;
};

// Every system signal, in the order the watcher registers for them: wake,
// sleep, the lock signals, the unlock signals, session activation.
std::span<const SystemSignalEntry> systemSignalTable();

}  // namespace veyrune
