// Build step: writes the desktop entry from its template, with the actions
// taken from the same quick menu the application builds.
//
//   veyrune-desktop-entry TEMPLATE OUTPUT
//
// The template's line "@DESKTOP_ACTIONS@" becomes the "Actions=" key and the
// action groups. Exits 1 with a message when a file cannot be read or written.

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "BuildSettings.h"
#include "model/DesktopEntryActions.h"
#include "model/UpdaterModel.h"

using namespace veyrune;

namespace {

constexpr std::string_view kPlaceholder = "@DESKTOP_ACTIONS@";

std::string actionGroups() {
    // The desktop entry is written once, for no particular state.
    const auto menu = DockMenuBuilder::makeMenu(
        MenuPanelSnapshot::make(false, std::nullopt, false), {},
        UpdaterModel::make(build::updateSigningKey, nullptr)->isConfigured());
    std::string objectPath = "/" + std::string(build::applicationID);
    std::replace(objectPath.begin(), objectPath.end(), '.', '/');
    return desktopEntryActionGroups(desktopEntryActions(menu), build::applicationID, objectPath);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: veyrune-desktop-entry TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "veyrune-desktop-entry: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream out;
    bool replaced = false;
    for (std::string line; std::getline(in, line);) {
        if (line == kPlaceholder) {
            out << actionGroups();
            replaced = true;
        } else {
            out << line << "\n";
        }
    }
    std::ofstream file(argv[2], std::ios::trunc);
    if (!replaced || !(file << out.str()) || !file.flush()) {
        std::cerr << "veyrune-desktop-entry: cannot write " << argv[2]
                  << (replaced ? "" : " (the template has no @DESKTOP_ACTIONS@ line)") << "\n";
        return 1;
    }
    return 0;
}
