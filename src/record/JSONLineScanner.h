#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "record/LogPosition.h"

namespace veyrune {

// What a block-wise scan found after the complete lines it handed out.
struct LineScan {
    std::uint64_t end = 0;  // offset just past the last "\n" read
    std::string tail;       // the bytes after it, up to the scanned size
};

// Reads `file` from `offset` up to `size` in fixed blocks and hands each
// non-empty line that ends in "\n" to `onLine`, in order. Holds one block and
// the longest line, never the file. Throws FileError.
LineScan scanJSONLines(const ReadableFile& file, std::uint64_t offset, std::uint64_t size,
                       const std::function<void(std::string_view)>& onLine);

// The last non-empty line of the first `size` bytes, found by reading
// backwards from the end in blocks; nothing when there is none. Throws FileError.
std::optional<std::string> readLastJSONLine(const ReadableFile& file, std::uint64_t size);

// The lines of the log at `path` after `position` (see
// SecurityEventStore::readLinesAfter). Throws FileError.
LogRead readJSONLinesAfter(const FileSystem& files, const std::filesystem::path& path,
                           const LogPosition& position, LogLineSink& sink);

}  // namespace veyrune
