#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "record/LogPosition.h"

namespace veyrune {

// A complete line read after a cursor and the offset just past its "\n".
struct TailLine {
    std::string text;
    std::uint64_t end = 0;
};

// What one bounded read after a cursor found.
struct TailRead {
    // The file is not the one the cursor was on (replaced, shrunk, rewritten
    // before the cursor, removed): the lines start at its first byte.
    bool restarted = false;
    std::optional<FileStatus> file;  // nothing: no file
    std::vector<TailLine> lines;
    // Past a line too long to forward, which is skipped; 0 when none.
    std::uint64_t skipTo = 0;
    bool reachedEnd = false;  // every complete line of the file is in `lines`
};

// Reads a JSON-lines log after a byte cursor (a LogPosition whose `file`
// names the inode it was taken on), in bounded pieces, so a cursor survives
// appends and a chain that restarts inside the same file, and a replaced or
// rewritten file is read again from its start. Stateless; throws FileError.
class LogTail {
  public:
    static constexpr std::size_t maximumBytes = 256 * 1024;

    // At most `maxBytes` of complete lines after `cursor`, in file order;
    // empty pieces between "\n"s are dropped. An unterminated last line waits.
    // With `maxBytes` 0 it only tells whether the cursor still stands.
    static TailRead read(const FileSystem& files, const std::filesystem::path& path,
                         const LogPosition& cursor, std::size_t maxBytes = maximumBytes);
    // The cursor just past `line` of `read`.
    static LogPosition after(const TailRead& read, const TailLine& line);
    // The cursor past a skipped line of `read`.
    static LogPosition afterSkip(const FileSystem& files, const std::filesystem::path& path,
                                 const TailRead& read);
    // How many "\n" lie in [from, to) of the file; the waiting lines, cheaply.
    static std::uint64_t countLineEnds(const FileSystem& files, const std::filesystem::path& path,
                                       std::uint64_t from, std::uint64_t to);
};

}  // namespace veyrune
