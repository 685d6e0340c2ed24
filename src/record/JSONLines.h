#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"

namespace veyrune {

// Hands each non-empty line of a JSON-lines file to `onLine`, in file order, as
// stored bytes: a line that is not valid UTF-8 is passed on like any other, and
// a last line without "\n" counts. The file is read in blocks, never held
// whole. A missing file has no lines; other read errors throw FileError.
void forEachJSONLine(const FileSystem& files, const std::filesystem::path& path,
                     const std::function<void(std::string_view)>& onLine);

// The same lines, copied.
std::vector<std::string> readJSONLines(const FileSystem& files, const std::filesystem::path& path);

// The last non-empty line, read backwards from the end; nothing for a missing
// file or one without lines. Throws FileError.
std::optional<std::string> readLastJSONLine(const FileSystem& files,
                                            const std::filesystem::path& path);

// Appends one line (a trailing "\n" is added): creates the folder, writes a
// new file atomically, or appends to an existing one, first ending an
// unterminated last line. Throws FileError.
void appendJSONLine(FileSystem& files, const std::filesystem::path& path, const std::string& line);

}  // namespace veyrune
