#include "record/JSONLines.h"

#include <simdjson.h>

namespace veyrune {

bool isValidUTF8(std::string_view text) {
    return simdjson::validate_utf8(text.data(), text.size());
}

namespace {

// An unreadable tail counts as ended: the append itself may still succeed.
bool endsWithNewline(const FileSystem& files, const std::filesystem::path& path) {
    try {
        auto last = files.lastByte(path);
        return !last || *last == '\n';
    } catch (const FileError&) {
        return true;
    }
}

}  // namespace

std::string readJSONLText(const FileSystem& files, const std::filesystem::path& path) {
    if (!files.exists(path)) {
        return {};
    }
    return files.readFile(path);
}

std::vector<std::string_view> splitJSONLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> readJSONLines(const FileSystem& files, const std::filesystem::path& path) {
    std::string text = readJSONLText(files, path);
    auto views = splitJSONLines(text);
    return std::vector<std::string>(views.begin(), views.end());
}

void appendJSONLine(FileSystem& files, const std::filesystem::path& path, const std::string& line) {
    files.createDirectories(path.parent_path());
    std::string bytes = line + "\n";
    if (!files.exists(path)) {
        files.writeAtomically(path, bytes);
        return;
    }
    // A write cut short earlier can leave a last line without its newline;
    // end it first so the new line is not glued onto it and lost.
    if (!endsWithNewline(files, path)) {
        bytes.insert(bytes.begin(), '\n');
    }
    files.append(path, bytes);
}

}  // namespace veyrune
