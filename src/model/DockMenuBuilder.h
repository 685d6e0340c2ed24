#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/MenuPanelReleaseDestination.h"
#include "model/MenuPanelSnapshot.h"

namespace veyrune {

// One entry of the quick menu (the desktop entry's actions and the tray's
// short menu): a disabled line, the arm toggle, a destination, a submenu or a
// separator.
struct DockMenuItem {
    enum class Kind { information, toggleArm, destination, submenu, separator };

    Kind kind = Kind::separator;
    std::string title;
    std::optional<MenuPanelReleaseDestination> destination;
    std::vector<DockMenuItem> items;  // a submenu's entries

    bool operator==(const DockMenuItem&) const = default;
};

// Builds the quick menu from the panel's snapshot; plain values, drawn by the shell.
struct DockMenuBuilder {
    // `recentLines`: each recent event as summary, " — " and its short time.
    static std::vector<DockMenuItem> makeMenu(const MenuPanelSnapshot& snapshot,
                                              const std::vector<std::string>& recentLines,
                                              bool updaterConfigured);
};

}  // namespace veyrune
