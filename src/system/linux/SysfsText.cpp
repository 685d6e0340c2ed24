#include "system/linux/SysfsText.h"

#include <charconv>
#include <fstream>

namespace veyrune {

std::optional<std::string> readSysfsLine(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line)) {
        return std::nullopt;
    }
    return line;
}

std::optional<std::int64_t> readSysfsInteger(const std::filesystem::path& path) {
    auto line = readSysfsLine(path);
    if (!line) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const char* end = line->data() + line->size();
    auto [next, error] = std::from_chars(line->data(), end, value);
    if (error != std::errc() || next == line->data() || next != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace veyrune
