#include "record/JSONLines.h"

namespace veyrune {

bool isValidUTF8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = (unsigned char)text[i];
        std::size_t length;
        std::uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            unsigned char next = (unsigned char)text[i + k];
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are invalid.
        static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
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

std::vector<std::string> readJSONLines(const FileSystem& files, const std::filesystem::path& path) {
    if (!files.exists(path)) {
        return {};
    }
    std::string text = files.readFile(path);
    if (!isValidUTF8(text)) {
        return {};
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            lines.emplace_back(text, start, end - start);
        }
        start = end + 1;
    }
    return lines;
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
