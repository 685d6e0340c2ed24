#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/FileSystem.h"

namespace veyrune {

// The non-empty lines of a JSON-lines file. A missing file and a file that is
// not valid UTF-8 read as no lines; other read errors throw FileError.
std::vector<std::string> readJSONLines(const FileSystem& files, const std::filesystem::path& path);

// Appends one line (a trailing "\n" is added): creates the folder, writes a
// new file atomically, or appends to an existing one, first ending an
// unterminated last line. Throws FileError.
void appendJSONLine(FileSystem& files, const std::filesystem::path& path, const std::string& line);

bool isValidUTF8(std::string_view text);

}  // namespace veyrune
