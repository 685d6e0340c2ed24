#pragma once

#include <filesystem>
#include <optional>

#include "base/FileSystem.h"
#include "record/SecurityEventStore.h"

namespace veyrune {

// The developer menu's quick export: the 500 newest events as CSV, written
// atomically as "veyrune-events-<stamp>.csv" into `folder`. Gives the written
// file to reveal, or nothing when reading or writing failed (silently, by design).
std::optional<std::filesystem::path> quickExportCSV(const SecurityEventStore& store,
                                                    FileSystem& files,
                                                    const std::filesystem::path& folder,
                                                    Instant now);

}  // namespace veyrune
