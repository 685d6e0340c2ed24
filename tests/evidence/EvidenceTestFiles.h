#pragma once

#include <filesystem>
#include <string>

#include "base/Instant.h"
#include "support/TempDirectory.h"

namespace veyrune::test {

// Writes `bytes` bytes at `path` (making its folder) and dates it `modifiedAt`.
inline void makeFile(const std::filesystem::path& path, std::size_t bytes, Instant modifiedAt) {
    writeFile(path, std::string(bytes, 'x'));
    auto fileTime = std::chrono::file_clock::from_sys(modifiedAt);
    std::filesystem::last_write_time(path, fileTime);
}

}  // namespace veyrune::test
