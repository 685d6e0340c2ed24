#include "model/DesktopEntryActions.h"

#include "model/AppAction.h"

namespace veyrune {

namespace {

void collect(const std::vector<DockMenuItem>& items, std::vector<DesktopEntryAction>& out) {
    for (const auto& item : items) {
        switch (item.kind) {
            case DockMenuItem::Kind::toggleArm:
                out.push_back(
                    {std::string(actionName({AppAction::Kind::toggleArm, {}})), "Arm or Disarm"});
                break;
            case DockMenuItem::Kind::destination:
                out.push_back(
                    {std::string(actionName({AppAction::Kind::destination, item.destination})),
                     item.title});
                break;
            case DockMenuItem::Kind::submenu:
                collect(item.items, out);
                break;
            case DockMenuItem::Kind::information:
            case DockMenuItem::Kind::separator:
                break;
        }
    }
}

}  // namespace

std::vector<DesktopEntryAction> desktopEntryActions(const std::vector<DockMenuItem>& menu) {
    std::vector<DesktopEntryAction> actions;
    collect(menu, actions);
    return actions;
}

std::string desktopEntryActionGroups(const std::vector<DesktopEntryAction>& actions,
                                     std::string_view busName, std::string_view objectPath) {
    std::string text = "Actions=";
    for (const auto& action : actions) {
        text += action.name + ";";
    }
    text += "\n";
    for (const auto& action : actions) {
        text += "\n[Desktop Action " + action.name + "]\nName=" + action.title +
                "\nExec=gdbus call --session --dest " + std::string(busName) + " --object-path " +
                std::string(objectPath) + " --method org.freedesktop.Application.ActivateAction " +
                action.name + " [] {}\n";
    }
    return text;
}

}  // namespace veyrune
