#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/DockMenuBuilder.h"

namespace veyrune {

// One action of the desktop entry: its group name (the ActivateAction name)
// and the title the launcher shows.
struct DesktopEntryAction {
    std::string name;
    std::string title;

    bool operator==(const DesktopEntryAction&) const = default;
};

// The desktop entry's actions, taken from the quick menu so that both offer
// the same things in the same order: the toggle and every destination, those
// of submenus included. Lines and separators have no action. A desktop entry
// cannot follow the armed state, so the toggle is "Arm or Disarm".
std::vector<DesktopEntryAction> desktopEntryActions(const std::vector<DockMenuItem>& menu);

// The "Actions=" key and one "[Desktop Action …]" group per action, each
// calling org.freedesktop.Application.ActivateAction on `busName`.
std::string desktopEntryActionGroups(const std::vector<DesktopEntryAction>& actions,
                                     std::string_view busName, std::string_view objectPath);

}  // namespace veyrune
