#pragma once

#include <optional>
#include <string_view>

namespace veyrune {

// Whether a part of the machinery can work right now.
enum class DiagnosticState { ready, attention, inactive };

// "ready", "attention", "inactive".
std::string_view rawValue(DiagnosticState state);
std::optional<DiagnosticState> diagnosticStateFromRaw(std::string_view raw);

}  // namespace veyrune
