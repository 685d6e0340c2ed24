#include "review/DiagnosticState.h"

namespace veyrune {

std::string_view rawValue(DiagnosticState state) {
    switch (state) {
        case DiagnosticState::ready:
            return "ready";
        case DiagnosticState::attention:
            return "attention";
        case DiagnosticState::inactive:
            return "inactive";
    }
    return "";
}

std::optional<DiagnosticState> diagnosticStateFromRaw(std::string_view raw) {
    for (auto state :
         {DiagnosticState::ready, DiagnosticState::attention, DiagnosticState::inactive}) {
        if (rawValue(state) == raw) {
            return state;
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
