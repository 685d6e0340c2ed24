#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "base/Error.h"

namespace veyrune {

// Which file of Veyrune's a forwarded line comes from.
enum class ForwardedLog { events, seals };

// One line of the event log or of the seals file, exactly as stored (no "\n").
struct ForwardedLine {
    ForwardedLog log = ForwardedLog::events;
    std::string text;
};

// A failure to hand lines on; `what()` is a short text for Diagnostics
// ("certificate refused ...", "connection refused ...").
class LineSinkError : public Error {
  public:
    using Error::Error;
};

// Where forwarded lines go: the system journal, a central collector. Lines
// come in log order and never twice unless an earlier send() failed.
class LineSink {
  public:
    virtual ~LineSink() = default;

    // Hands `lines` on and returns how many of the first ones the other side
    // has taken for good; the rest come again in the next call. Blocks on the
    // network or a socket: call it only from a blocking-work thread, one
    // thread at a time. Throws LineSinkError.
    virtual std::size_t send(std::span<const ForwardedLine> lines) = 0;
    // From any thread: a send() in progress or the next one ends soon with a
    // LineSinkError; the sink is usable again after reset().
    virtual void cancel() = 0;
    virtual void reset() = 0;
};

}  // namespace veyrune
