#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "forward/LineSink.h"

namespace veyrune {

// One RELP frame: "TXNR SP COMMAND SP DATALEN [SP DATA] LF".
struct RELPFrame {
    static constexpr std::uint32_t maxTransaction = 999'999'999;
    static constexpr std::size_t maxDataLength = 128 * 1024;

    std::uint32_t transaction = 0;
    std::string command;
    std::string data;

    // The frame's bytes, appended to `out`.
    void appendTo(std::string& out) const;
    // The number after `transaction`: 1 to 999,999,999, then 1 again.
    static std::uint32_t next(std::uint32_t transaction);
    // An "rsp" frame's status: its leading three digits, 0 when there are none.
    int responseCode() const;
};

// Cuts frames out of a byte stream as it arrives. A frame that breaks the
// format (a bad number, an unknown shape, data past maxDataLength) throws
// LineSinkError; the stream is then unusable.
class RELPFrameReader {
  public:
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // The next complete frame, or nothing until more bytes come.
    std::optional<RELPFrame> next();

  private:
    std::string buffer_;
};

}  // namespace veyrune
