#include "model/DockMenuBuilder.h"

namespace veyrune {

namespace {

using Kind = DockMenuItem::Kind;
using Destination = MenuPanelReleaseDestination;

DockMenuItem line(std::string title) {
    return {Kind::information, std::move(title), std::nullopt, {}};
}

DockMenuItem separator() {
    return {Kind::separator, "", std::nullopt, {}};
}

DockMenuItem destination(Destination destination) {
    return {Kind::destination, std::string(label(destination)), destination, {}};
}

}  // namespace

std::vector<DockMenuItem> DockMenuBuilder::makeMenu(const MenuPanelSnapshot& snapshot,
                                                    const std::vector<std::string>& recentLines,
                                                    bool updaterConfigured) {
    std::vector<DockMenuItem> menu{line(snapshot.stateTitle),
                                   line(snapshot.stateDetail),
                                   separator(),
                                   {Kind::toggleArm, snapshot.primaryToggleTitle, std::nullopt, {}},
                                   separator(),
                                   line(snapshot.recentEventsTitle)};
    for (const auto& recent : recentLines) {
        menu.push_back(line(recent));
    }
    menu.push_back(separator());
    for (auto d : {Destination::timeline, Destination::evidence, Destination::settings}) {
        menu.push_back(destination(d));
    }
    DockMenuItem help{
        Kind::submenu, "Help", std::nullopt, {destination(Destination::gettingStarted)}};
    if (updaterConfigured) {
        help.items.push_back(destination(Destination::checkForUpdates));
    }
    help.items.push_back(destination(Destination::about));
    menu.push_back(std::move(help));
    return menu;
}

}  // namespace veyrune
