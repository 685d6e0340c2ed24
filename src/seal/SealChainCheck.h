#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/Instant.h"

namespace veyrune {

// What the seals file says without the key, which is not on this computer:
// only the seals' own chain can be checked here, not their MACs.
struct SealChainStatus {
    bool intact = true;
    Instant through;            // intact: when the last seal was made, at most its epoch's end
    std::int64_t brokenAt = 0;  // not intact: the 1-based line of the first bad seal
    bool operator==(const SealChainStatus&) const = default;
};

// Each seal names the MAC of the one before, epochs never go back, and none is
// left out unless a closing seal explains the gap. A line that is no seal (a
// write cut short) is skipped. Nothing when there is no seal.
std::optional<SealChainStatus> checkSealChain(const std::vector<std::string>& lines);

// Reads `sealsFile` and checks it; nothing when there is no such file.
// Throws FileError when it cannot be read.
std::optional<SealChainStatus> readSealChainStatus(const FileSystem& files,
                                                   const std::filesystem::path& sealsFile);

}  // namespace veyrune
