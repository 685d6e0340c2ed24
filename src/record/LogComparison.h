#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "record/LineFingerprint.h"
#include "record/LineFingerprintSet.h"
#include "record/LogComparisonResult.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

// Compares the local event log with a collector's copy of it. An entry is the
// same when its line is the same byte for byte; otherwise the event's id finds
// its local line, which was edited or only renumbered and relinked. Lines are
// never matched by seq, so chains that restart at seq 1 in either file are
// compared by their lines. Keeps about 90 bytes per local line; streams the
// collector's copy, expecting it mostly in the local log's order. Never throws on bad input. One
// thread at a time.
class LogComparison {
  public:
    // Every line of the local log, in file order, before any collector's line.
    void addLocal(std::string_view line);
    // The collector's event lines in its order, seal lines left out. An exact
    // repeat of an earlier line is counted and otherwise ignored.
    void addCentral(std::string_view line);
    LogComparisonResult result() const;

  private:
    struct LocalLine {
        LineFingerprint text;
        std::size_t content;  // hash of the line without its seq and link
        std::int64_t seq;
        std::int32_t chain;
        bool startsChain;  // linked to nothing: the first line of a chain
        bool matched;
    };
    struct Keyed {
        LineFingerprint key;
        std::uint32_t index;
        auto operator<=>(const Keyed&) const = default;
    };
    // Counts a chain start; the seq of a chained line, 0 for another.
    // `startsChain`: its link is the first of a chain.
    std::int64_t position(std::string_view line, std::int64_t& chain,
                          std::optional<std::string>& id, bool& startsChain);
    // The local line with that key, or -1.
    static std::int64_t find(const std::vector<Keyed>& keys, const LineFingerprint& key);
    void matched(std::int64_t index);
    static void note(LogComparisonResult& result, const LogComparisonResult::Run& run);

    SecurityEventDecoder decoder_;
    std::vector<LocalLine> local_;
    std::vector<Keyed> byText_, byID_;  // sorted once the collector's lines begin
    bool sorted_ = false;
    std::int64_t localChain_ = 0, centralChain_ = 0;
    std::int64_t lastMatched_ = -1;  // the latest local line the collector has
    std::size_t next_ = 0;           // the local line the collector's next line likely is
    LineFingerprintSet unmatched_;   // the collector's lines not in the local log
    LogComparisonResult central_;    // the collector's findings so far
};

}  // namespace veyrune
