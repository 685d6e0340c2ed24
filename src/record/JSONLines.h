#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/FileSystem.h"

namespace veyrune {

// The non-empty lines of a JSON-lines file, as stored bytes: a line that is not
// valid UTF-8 is kept like any other. A missing file reads as no lines; other
// read errors throw FileError.
std::vector<std::string> readJSONLines(const FileSystem& files, const std::filesystem::path& path);

// The same without copying each line: the whole text (empty for a missing
// file) and views of its non-empty lines, valid while the text lives.
std::string readJSONLText(const FileSystem& files, const std::filesystem::path& path);
std::vector<std::string_view> splitJSONLines(std::string_view text);

// Appends one line (a trailing "\n" is added): creates the folder, writes a
// new file atomically, or appends to an existing one, first ending an
// unterminated last line. Throws FileError.
void appendJSONLine(FileSystem& files, const std::filesystem::path& path, const std::string& line);

bool isValidUTF8(std::string_view text);

}  // namespace veyrune
