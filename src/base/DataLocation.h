#pragma once

#include <filesystem>
#include <vector>

namespace veyrune {

// The folder that holds Veyrune's logs, outbox and evidence:
// $XDG_DATA_HOME/Veyrune, by default ~/.local/share/Veyrune.
std::filesystem::path veyruneDataDirectory();

// The user's configuration folder: $XDG_CONFIG_HOME, by default ~/.config.
std::filesystem::path userConfigDirectory();

// The system's configuration folders, most important first: $XDG_CONFIG_DIRS,
// by default /etc/xdg.
std::vector<std::filesystem::path> systemConfigDirectories();
// The folders a value of XDG_CONFIG_DIRS names (null: unset). Relative
// entries are ignored, as the XDG rules ask; none left gives /etc/xdg.
std::vector<std::filesystem::path> configDirectoriesFrom(const char* value);

}  // namespace veyrune
