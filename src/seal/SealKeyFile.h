#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "base/FileSystem.h"
#include "seal/SealKey.h"

namespace veyrune {

// The current sealing key and its epoch, the only key kept on the disk. Each
// store replaces the file whole (0600, synced), so the key before is gone from
// the file, and removes what an earlier store cut short left beside it (a
// temporary file holding an older key). `files` must outlive this. Throws
// FileError, or Error when the file is there but unreadable (it is then left
// as it is).
class SealKeyFile {
  public:
    struct State {
        std::int64_t epoch = 0;
        std::int64_t epochSeconds = 0;
        SealKey::Bytes key{};
        bool operator==(const State&) const = default;
    };

    SealKeyFile(std::filesystem::path path, FileSystem& files);

    // Nothing when sealing is off (no file, or an empty one).
    std::optional<State> load() const;
    void store(const State& state);
    // Deletes the file (and any leftover temporary one); nothing when there is none.
    void remove();
    const std::filesystem::path& path() const { return path_; }

  private:
    void removeLeftovers();

    std::filesystem::path path_;
    FileSystem* files_;
};

}  // namespace veyrune
