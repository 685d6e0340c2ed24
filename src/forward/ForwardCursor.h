#pragma once

#include <filesystem>
#include <string>

#include "base/FileSystem.h"
#include "record/LogPosition.h"

namespace veyrune {

// How far one route has handed the logs on for good: a byte cursor in the
// event log and one in the seals file, for one destination. Kept in a small
// JSON file replaced atomically, so after a crash or a power cut it is the
// last one saved: lines after it go out again, none is skipped.
struct ForwardCursor {
    std::string destination;
    LogPosition events;
    LogPosition seals;

    bool operator==(const ForwardCursor&) const = default;

    // What `path` holds; a fresh cursor (from the first lines) when there is
    // no file or it cannot be read as one. Throws FileError when the folder
    // cannot be read at all.
    static ForwardCursor load(const FileSystem& files, const std::filesystem::path& path);
    // Creates the folder as needed. Throws FileError.
    void save(FileSystem& files, const std::filesystem::path& path) const;
};

}  // namespace veyrune
