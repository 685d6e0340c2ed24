#pragma once

#include <filesystem>

namespace veyrune {

// The folder that holds Veyrune's logs, outbox and evidence:
// $XDG_DATA_HOME/Veyrune, by default ~/.local/share/Veyrune.
std::filesystem::path veyruneDataDirectory();

// The user's configuration folder: $XDG_CONFIG_HOME, by default ~/.config.
std::filesystem::path userConfigDirectory();

}  // namespace veyrune
