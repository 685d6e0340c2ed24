#include "base/DataLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

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

std::vector<std::filesystem::path> systemConfigDirectories() {
    return configDirectoriesFrom(std::getenv("XDG_CONFIG_DIRS"));
}

std::vector<std::filesystem::path> configDirectoriesFrom(const char* value) {
    std::vector<std::filesystem::path> folders;
    std::string_view rest = value ? value : "";
    while (!rest.empty()) {
        auto colon = rest.find(':');
        auto entry = rest.substr(0, colon);
        if (!entry.empty() && entry.front() == '/') {
            folders.emplace_back(entry);
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    if (folders.empty()) {
        folders.emplace_back("/etc/xdg");
    }
    return folders;
}

}  // namespace veyrune
