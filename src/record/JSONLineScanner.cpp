#include "record/JSONLineScanner.h"

#include <algorithm>
#include <memory>

namespace veyrune {

namespace {

constexpr std::size_t kBlockSize = 128 * 1024;
constexpr std::size_t kFirstTailBlock = 4096;
constexpr std::size_t kEndBytes = 4096;

std::string readRange(const ReadableFile& file, std::uint64_t from, std::uint64_t to) {
    std::string bytes(std::size_t(to - from), '\0');
    bytes.resize(file.readAt(from, bytes));
    return bytes;
}

// The file still holds what was read before, and more: the same inode, a
// larger size and the same bytes before the old offset.
bool onlyGrew(const ReadableFile& file, const FileStatus& now, const LogPosition& position) {
    if (!position.file || now.inode != position.file->inode ||
        now.device != position.file->device || now.size <= position.file->size ||
        now.size < position.offset) {
        return false;
    }
    return readRange(file, position.offset - position.endBytes.size(), position.offset) ==
           position.endBytes;
}

}  // namespace

LineScan scanJSONLines(const ReadableFile& file, std::uint64_t offset, std::uint64_t size,
                       const std::function<void(std::string_view)>& onLine) {
    auto block = std::make_unique_for_overwrite<char[]>(kBlockSize);
    LineScan scan{offset, {}};
    std::string& partial = scan.tail;  // a line that runs past the block
    std::uint64_t at = offset;
    while (at < size) {
        std::size_t got = file.readAt(
            at, {block.get(), std::size_t(std::min<std::uint64_t>(kBlockSize, size - at))});
        if (got == 0) {
            break;  // the file shrank while being read
        }
        std::string_view bytes(block.get(), got);
        std::size_t start = 0;
        for (auto newline = bytes.find('\n'); newline != std::string_view::npos;
             newline = bytes.find('\n', start)) {
            auto piece = bytes.substr(start, newline - start);
            if (!partial.empty()) {
                partial.append(piece);
                onLine(partial);
                partial.clear();
            } else if (!piece.empty()) {
                onLine(piece);
            }
            start = newline + 1;
            scan.end = at + start;
        }
        partial.append(bytes.substr(start));
        at += got;
    }
    return scan;
}

std::optional<std::string> readLastJSONLine(const ReadableFile& file, std::uint64_t size) {
    std::string block;
    std::optional<std::uint64_t> lineEnd;
    std::uint64_t lineStart = 0;
    std::size_t blockSize = kFirstTailBlock;
    for (std::uint64_t pos = size; pos > 0 && lineStart == 0;) {
        std::uint64_t from = pos - std::min<std::uint64_t>(blockSize, pos);
        block = readRange(file, from, pos);
        for (std::size_t i = block.size(); i-- > 0;) {
            if (!lineEnd) {
                if (block[i] != '\n') {
                    lineEnd = from + i + 1;
                }
            } else if (block[i] == '\n') {
                lineStart = from + i + 1;
                break;
            }
        }
        pos = from;
        blockSize = std::min(blockSize * 2, kBlockSize);
    }
    if (!lineEnd) {
        return std::nullopt;
    }
    return readRange(file, lineStart, *lineEnd);
}

LogRead readJSONLinesAfter(const FileSystem& files, const std::filesystem::path& path,
                           const LogPosition& position, LogLineSink& sink) {
    auto status = files.status(path);
    if (status == position.file) {
        return {false, position, {}};
    }
    if (!status) {
        sink.restart();
        return {true, {}, {}};
    }
    auto file = files.openForReading(path);
    FileStatus now = file->status();
    std::uint64_t from = position.offset;
    if (!onlyGrew(*file, now, position)) {
        sink.restart();
        from = 0;
    }
    auto scan =
        scanJSONLines(*file, from, now.size, [&](std::string_view line) { sink.line(line); });
    LogPosition next{
        now, scan.end,
        readRange(*file, scan.end - std::min<std::uint64_t>(kEndBytes, scan.end), scan.end)};
    return {true, std::move(next), std::move(scan.tail)};
}

}  // namespace veyrune
