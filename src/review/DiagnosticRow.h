#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "review/DiagnosticState.h"

namespace veyrune {

// One line of the diagnostics list.
struct DiagnosticRow {
    enum class ID {
        camera,
        screenshots,
        telegram,
        webhook,
        sleepGate,
        sealing,
        systemJournal,
        collector
    };

    ID id = ID::camera;
    std::string title;
    std::string detail;
    DiagnosticState state = DiagnosticState::inactive;

    bool operator==(const DiagnosticRow&) const = default;
};

// "camera", "screenshots", "telegram", "webhook", "sleepGate", "sealing",
// "systemJournal", "collector".
std::string_view rawValue(DiagnosticRow::ID id);
std::optional<DiagnosticRow::ID> diagnosticRowIDFromRaw(std::string_view raw);

}  // namespace veyrune
