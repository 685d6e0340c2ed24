#include "record/JSONLines.h"

#include "record/JSONLineScanner.h"

namespace veyrune {

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

void forEachJSONLine(const FileSystem& files, const std::filesystem::path& path,
                     const std::function<void(std::string_view)>& onLine) {
    if (!files.exists(path)) {
        return;
    }
    auto file = files.openForReading(path);
    auto scan = scanJSONLines(*file, 0, file->status().size, onLine);
    if (!scan.tail.empty()) {
        onLine(scan.tail);
    }
}

std::vector<std::string> readJSONLines(const FileSystem& files, const std::filesystem::path& path) {
    std::vector<std::string> lines;
    forEachJSONLine(files, path, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::optional<std::string> readLastJSONLine(const FileSystem& files,
                                            const std::filesystem::path& path) {
    if (!files.exists(path)) {
        return std::nullopt;
    }
    auto file = files.openForReading(path);
    return readLastJSONLine(*file, file->status().size);
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
