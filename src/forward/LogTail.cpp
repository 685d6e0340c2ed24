#include "forward/LogTail.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace veyrune {

namespace {

constexpr std::size_t kEndBytes = 256;
constexpr std::size_t kBlock = 128 * 1024;

std::string readRange(const ReadableFile& file, std::uint64_t from, std::uint64_t to) {
    std::string bytes(std::size_t(to - from), '\0');
    bytes.resize(file.readAt(from, bytes));
    return bytes;
}

// The cursor still stands on this file: same inode, not shrunk before it, and
// the bytes just before it unchanged. A chain that restarted at seq 1 by
// appending keeps all three.
bool continues(const ReadableFile& file, const FileStatus& now, const LogPosition& cursor) {
    if (!cursor.file || cursor.file->inode != now.inode || cursor.file->device != now.device ||
        now.size < cursor.offset || cursor.endBytes.size() > cursor.offset) {
        return false;
    }
    return readRange(file, cursor.offset - cursor.endBytes.size(), cursor.offset) ==
           cursor.endBytes;
}

bool started(const LogPosition& cursor) {
    return cursor.file.has_value() || cursor.offset > 0;
}

// The offset just past the next "\n" at or after `from`; 0 when none.
std::uint64_t nextLineEnd(const ReadableFile& file, std::uint64_t from, std::uint64_t size) {
    auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (std::uint64_t at = from; at < size;) {
        std::size_t got =
            file.readAt(at, {block.get(), std::size_t(std::min<std::uint64_t>(kBlock, size - at))});
        if (got == 0) {
            break;
        }
        if (auto* newline = static_cast<const char*>(std::memchr(block.get(), '\n', got))) {
            return at + std::uint64_t(newline - block.get()) + 1;
        }
        at += got;
    }
    return 0;
}

}  // namespace

TailRead LogTail::read(const FileSystem& files, const std::filesystem::path& path,
                       const LogPosition& cursor, std::size_t maxBytes) {
    TailRead result;
    if (!files.status(path)) {
        result.restarted = started(cursor);
        result.reachedEnd = true;
        return result;
    }
    auto file = files.openForReading(path);
    FileStatus now = file->status();
    result.file = now;
    std::uint64_t from = cursor.offset;
    if (!continues(*file, now, cursor)) {
        result.restarted = started(cursor);
        from = 0;
    }
    std::uint64_t to = std::min<std::uint64_t>(now.size, from + maxBytes);
    auto bytes = readRange(*file, from, to);
    std::size_t start = 0;
    for (auto newline = bytes.find('\n'); newline != std::string::npos;
         newline = bytes.find('\n', start)) {
        if (newline > start) {
            result.lines.push_back({bytes.substr(start, newline - start), from + newline + 1});
        }
        start = newline + 1;
    }
    if (maxBytes > 0 && start == 0 && bytes.size() == maxBytes && to < now.size) {
        result.skipTo = nextLineEnd(*file, to, now.size);
    }
    // What is left after the last "\n" is at most one unterminated line.
    result.reachedEnd = result.skipTo == 0 && (to == now.size || start == 0);
    return result;
}

LogPosition LogTail::after(const TailRead& read, const TailLine& line) {
    std::string ended = line.text + '\n';
    auto keep = std::min(ended.size(), kEndBytes);
    return {read.file, line.end, ended.substr(ended.size() - keep)};
}

LogPosition LogTail::afterSkip(const FileSystem& files, const std::filesystem::path& path,
                               const TailRead& read) {
    auto file = files.openForReading(path);
    auto keep = std::min<std::uint64_t>(read.skipTo, kEndBytes);
    return {read.file, read.skipTo, readRange(*file, read.skipTo - keep, read.skipTo)};
}

std::uint64_t LogTail::countLineEnds(const FileSystem& files, const std::filesystem::path& path,
                                     std::uint64_t from, std::uint64_t to) {
    if (from >= to || !files.status(path)) {
        return 0;
    }
    auto file = files.openForReading(path);
    auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    std::uint64_t count = 0;
    for (std::uint64_t at = from; at < to;) {
        std::size_t got =
            file->readAt(at, {block.get(), std::size_t(std::min<std::uint64_t>(kBlock, to - at))});
        if (got == 0) {
            break;
        }
        count += std::uint64_t(std::count(block.get(), block.get() + got, '\n'));
        at += got;
    }
    return count;
}

}  // namespace veyrune
