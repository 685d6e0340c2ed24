#include "model/AppAction.h"

namespace veyrune {

namespace {

using Kind = AppAction::Kind;

struct NamedKind {
    Kind kind;
    std::string_view name;
};

constexpr NamedKind kNames[] = {
    {Kind::toggleArm, "toggle-arm"},
    {Kind::quit, "quit"},
    {Kind::recordTestEvent, "record-test-event"},
    {Kind::queueTestDelivery, "queue-test-delivery"},
    {Kind::testCameraSnapshot, "test-camera-snapshot"},
    {Kind::testScreenshot, "test-screenshot"},
    {Kind::exportCSV, "export-csv"},
    {Kind::clearRecentActivity, "clear-recent-activity"},
};

}  // namespace

const std::array<DeveloperMenuEntry, 6> developerMenuEntries = {{
    {Kind::recordTestEvent, "Record Test Event"},
    {Kind::queueTestDelivery, "Queue Test Delivery"},
    {Kind::testCameraSnapshot, "Test Camera Snapshot"},
    {Kind::testScreenshot, "Test Screenshot"},
    {Kind::exportCSV, "Export CSV\u2026"},
    {Kind::clearRecentActivity, "Clear Recent Activity"},
}};

bool AppAction::isDeveloperAction() const {
    return kind != Kind::toggleArm && kind != Kind::destination && kind != Kind::quit;
}

std::optional<AppAction> appActionNamed(std::string_view name, bool developerMode) {
    if (auto destination = menuPanelReleaseDestinationFromRaw(name)) {
        return AppAction{Kind::destination, destination};
    }
    for (const auto& named : kNames) {
        if (named.name == name) {
            AppAction action{named.kind, std::nullopt};
            if (action.isDeveloperAction() && !developerMode) {
                return std::nullopt;
            }
            return action;
        }
    }
    return std::nullopt;
}

std::string_view actionName(const AppAction& action) {
    if (action.kind == Kind::destination && action.destination) {
        return rawValue(*action.destination);
    }
    for (const auto& named : kNames) {
        if (named.kind == action.kind) {
            return named.name;
        }
    }
    return "";
}

}  // namespace veyrune
