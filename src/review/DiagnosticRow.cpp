#include "review/DiagnosticRow.h"

namespace veyrune {

std::string_view rawValue(DiagnosticRow::ID id) {
    switch (id) {
        case DiagnosticRow::ID::camera:
            return "camera";
        case DiagnosticRow::ID::screenshots:
            return "screenshots";
        case DiagnosticRow::ID::telegram:
            return "telegram";
        case DiagnosticRow::ID::webhook:
            return "webhook";
        case DiagnosticRow::ID::sleepGate:
            return "sleepGate";
        case DiagnosticRow::ID::sealing:
            return "sealing";
        case DiagnosticRow::ID::systemJournal:
            return "systemJournal";
        case DiagnosticRow::ID::collector:
            return "collector";
    }
    return "";
}

std::optional<DiagnosticRow::ID> diagnosticRowIDFromRaw(std::string_view raw) {
    using ID = DiagnosticRow::ID;
    for (auto id : {ID::camera, ID::screenshots, ID::telegram, ID::webhook, ID::sleepGate,
                    ID::sealing, ID::systemJournal, ID::collector}) {
        if (rawValue(id) == raw) {
            return id;
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
