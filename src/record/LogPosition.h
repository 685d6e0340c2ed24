#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/FileSystem.h"

namespace veyrune {

// How far a reader of a JSON-lines log has come: the state of the file it read
// and the offset just past the last complete line it took. A default position
// is the start of a log not read yet.
struct LogPosition {
    std::optional<FileStatus> file;  // nothing: no file was there
    std::uint64_t offset = 0;
    // Up to a few KiB just before `offset`, to tell an appended file from a rewritten one.
    std::string endBytes;
    bool operator==(const LogPosition&) const = default;
};

// Receives the lines of a read after a position, in file order.
class LogLineSink {
  public:
    // The log is read again from its start: forget every line taken so far.
    virtual void restart() = 0;
    // The next complete non-empty line; the view is valid during the call.
    virtual void line(std::string_view text) = 0;

  protected:
    ~LogLineSink() = default;
};

// What a read after a position found.
struct LogRead {
    bool changed = false;  // false: nothing was read, the earlier tail still stands
    LogPosition position;  // where the next read continues
    std::string tail;      // a last line without its "\n" (a write in progress or cut short)
};

}  // namespace veyrune
