#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "model/MenuPanelReleaseDestination.h"

namespace veyrune {

// What the panel, the quick menu and the desktop's ActivateAction can ask for.
struct AppAction {
    enum class Kind {
        toggleArm,
        destination,
        quit,
        // Developer mode only:
        recordTestEvent,
        queueTestDelivery,
        testCameraSnapshot,
        testScreenshot,
        exportCSV,
        clearRecentActivity,
    };

    Kind kind = Kind::toggleArm;
    std::optional<MenuPanelReleaseDestination> destination;

    bool isDeveloperAction() const;
    bool operator==(const AppAction&) const = default;
};

// The action an ActivateAction name stands for: "toggle-arm", a destination's
// raw value, "quit", and the developer actions ("record-test-event", ...) only
// in developer mode. Nothing for any other name.
std::optional<AppAction> appActionNamed(std::string_view name, bool developerMode);

// The name of an action, for the desktop entry and for ActivateAction.
std::string_view actionName(const AppAction& action);

// The developer submenu's entries in order, with their labels
// ("Record Test Event", ... "Clear Recent Activity").
struct DeveloperMenuEntry {
    AppAction::Kind kind;
    std::string_view label;
};
extern const std::array<DeveloperMenuEntry, 6> developerMenuEntries;

}  // namespace veyrune
