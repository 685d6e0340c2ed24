#include "base/DataLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace veyrune {

namespace {

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

}  // namespace

std::filesystem::path veyruneDataDirectory() {
    // The XDG base directory rules ignore a relative XDG_DATA_HOME.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base =
        (xdg && *xdg == '/') ? std::filesystem::path(xdg) : homeDirectory() / ".local" / "share";
    return base / "Veyrune";
}

std::filesystem::path userConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    return (xdg && *xdg == '/') ? std::filesystem::path(xdg) : homeDirectory() / ".config";
}

}  // namespace veyrune
