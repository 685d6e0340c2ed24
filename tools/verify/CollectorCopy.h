#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "record/LineFingerprintSet.h"
#include "record/LogPosition.h"

namespace veyrune {

// Reads a file as a collector writes it: the event lines and the seal lines of
// one machine interleaved, a line sent twice when a send was cut before its
// acknowledgement. Passes event lines on (their repeats are found where the
// chain helps), keeps the seal lines when asked to and drops exact repeats of
// them. A local log, which has no seal lines, passes unchanged.
class CollectorCopy final : public LogLineSink {
  public:
    // `events` gets every event line (and blank line) in file order; `seals`,
    // when given, every seal line once. Without `events` the event
    // lines are passed over unread, for a quick pass over the seals.
    CollectorCopy(std::function<void(std::string_view)> events, std::vector<std::string>* seals);

    void restart() override {}
    void line(std::string_view text) override;

    // A seal line by its shape, also one cut short.
    static bool isSealLine(std::string_view text);

    std::int64_t sealLines() const { return sealLines_; }
    std::int64_t repeatedSeals() const { return repeats_; }

  private:
    std::function<void(std::string_view)> events_;
    std::vector<std::string>* seals_;
    LineFingerprintSet seen_;
    std::int64_t sealLines_ = 0, repeats_ = 0;
};

}  // namespace veyrune
