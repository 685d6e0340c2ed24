#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace veyrune {

// The first line of a small sysfs or procfs file, without its line end;
// nothing when the file cannot be read.
std::optional<std::string> readSysfsLine(const std::filesystem::path& path);

// The file's first line as a decimal integer; nothing when absent or not a number.
std::optional<std::int64_t> readSysfsInteger(const std::filesystem::path& path);

}  // namespace veyrune
