#pragma once

#include <filesystem>

#include "base/FileSystem.h"
#include "model/LaunchAtLoginService.h"

namespace veyrune {

// Start at login through an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/org.veyrune.Veyrune.desktop). Enabled when the
// entry exists and is not hidden. Never needs approval on Linux.
class XDGAutostartService final : public LaunchAtLoginService {
  public:
    // `executable` is what the entry starts. `fileSystem` must outlive it.
    XDGAutostartService(FileSystem& fileSystem, std::filesystem::path executable,
                        std::filesystem::path entryPath = defaultEntryPath());

    // $XDG_CONFIG_HOME (else ~/.config) /autostart/org.veyrune.Veyrune.desktop.
    static std::filesystem::path defaultEntryPath();

    Status status() const override;
    // Writes the entry atomically, or removes it. Throws FileError.
    void setEnabled(bool enabled) override;

  private:
    FileSystem& fileSystem_;
    std::filesystem::path executable_;
    std::filesystem::path entryPath_;
};

}  // namespace veyrune
