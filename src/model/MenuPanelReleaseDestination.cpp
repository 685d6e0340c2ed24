#include "model/MenuPanelReleaseDestination.h"

namespace veyrune {

namespace {

struct Row {
    MenuPanelReleaseDestination destination;
    std::string_view raw;
    std::string_view label;
    std::string_view icon;
};

constexpr Row kRows[] = {
    {MenuPanelReleaseDestination::timeline, "timeline", "Timeline", "document-open-recent"},
    {MenuPanelReleaseDestination::evidence, "evidence", "Evidence", "folder-pictures"},
    {MenuPanelReleaseDestination::settings, "settings", "Settings\u2026", "preferences-system"},
    {MenuPanelReleaseDestination::gettingStarted, "getting-started", "Getting Started",
     "help-contents"},
    {MenuPanelReleaseDestination::checkForUpdates, "check-for-updates", "Check for Updates\u2026",
     "system-software-update"},
    {MenuPanelReleaseDestination::about, "about", "About Veyrune", "help-about"},
};

const Row& row(MenuPanelReleaseDestination destination) {
    for (const auto& r : kRows) {
        if (r.destination == destination) {
            return r;
        }
    }
    return kRows[0];
}

}  // namespace

std::string_view rawValue(MenuPanelReleaseDestination destination) {
    return row(destination).raw;
}

std::optional<MenuPanelReleaseDestination> menuPanelReleaseDestinationFromRaw(
    std::string_view raw) {
    for (const auto& r : kRows) {
        if (r.raw == raw) {
            return r.destination;
        }
    }
    return std::nullopt;
}

std::string_view label(MenuPanelReleaseDestination destination) {
    return row(destination).label;
}

std::string_view iconName(MenuPanelReleaseDestination destination) {
    return row(destination).icon;
}

}  // namespace veyrune
