#pragma once

#include <optional>
#include <string>

namespace veyrune {

// The panel's texts for one state of the model.
struct MenuPanelSnapshot {
    std::string stateTitle;
    std::string stateDetail;
    std::string primaryToggleTitle;
    std::string recentEventsTitle;

    static MenuPanelSnapshot make(bool isArmed, const std::optional<std::string>& latestActivity,
                                  bool hasRecentEvents);

    bool operator==(const MenuPanelSnapshot&) const = default;
};

// "Veyrune, armed" / "Veyrune, disarmed": the tray icon's accessible name.
std::string trayAccessibleName(bool isArmed);

}  // namespace veyrune
