#include "model/MenuPanelSnapshot.h"

namespace veyrune {

MenuPanelSnapshot MenuPanelSnapshot::make(bool isArmed,
                                          const std::optional<std::string>& latestActivity,
                                          bool hasRecentEvents) {
    MenuPanelSnapshot snapshot;
    snapshot.stateTitle = isArmed ? "Armed" : "Disarmed";
    snapshot.stateDetail =
        latestActivity.value_or(isArmed ? "Watching for protected activity" : "Veyrune is idle");
    snapshot.primaryToggleTitle = isArmed ? "Disarm Veyrune" : "Arm Veyrune";
    snapshot.recentEventsTitle = hasRecentEvents ? "Recent events" : "No recent events";
    return snapshot;
}

std::string trayAccessibleName(bool isArmed) {
    return isArmed ? "Veyrune, armed" : "Veyrune, disarmed";
}

}  // namespace veyrune
