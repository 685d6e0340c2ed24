#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace veyrune {

// The places the panel and the desktop entry's actions lead to.
enum class MenuPanelReleaseDestination {
    timeline,
    evidence,
    settings,
    gettingStarted,
    checkForUpdates,
    about
};

inline constexpr std::array<MenuPanelReleaseDestination, 6> allMenuPanelReleaseDestinations = {
    MenuPanelReleaseDestination::timeline,        MenuPanelReleaseDestination::evidence,
    MenuPanelReleaseDestination::settings,        MenuPanelReleaseDestination::gettingStarted,
    MenuPanelReleaseDestination::checkForUpdates, MenuPanelReleaseDestination::about};

// "timeline", "evidence", "settings", "getting-started", "check-for-updates", "about".
std::string_view rawValue(MenuPanelReleaseDestination destination);
std::optional<MenuPanelReleaseDestination> menuPanelReleaseDestinationFromRaw(std::string_view raw);
// "Timeline", "Evidence", "Settings…", "Getting Started", "Check for Updates…", "About Veyrune".
std::string_view label(MenuPanelReleaseDestination destination);
// The icon theme name shown beside the label.
std::string_view iconName(MenuPanelReleaseDestination destination);

}  // namespace veyrune
