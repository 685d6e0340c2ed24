#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/Instant.h"

namespace veyrune {

// What a collector's copy of the event log shows about the local log.
struct LogComparisonResult {
    enum class Finding {
        lost,       // the collector has it, the local log has no line of that event
        edited,     // the local line of that event says something else
        rechained,  // the local line differs only in its seq or link: lines were removed or added
        notYet,     // only in the local log, after everything the collector has
        neverSent,  // only in the local log, between lines the collector has
    };
    // Consecutive entries of one chain with one finding. The chain is counted
    // in the file the entries are numbered by: the collector's copy for lost,
    // edited and rechained, the local log otherwise.
    struct Run {
        Finding finding;
        std::int64_t chain = 0;               // 1-based; 0: before any chained line
        std::int64_t fromSeq = 0, toSeq = 0;  // 0: lines without a seq
        std::int64_t count = 0;
        std::optional<Instant> from, to;  // when the first and the last happened, if readable
        std::int64_t localFromSeq = 0, localToSeq = 0;  // rechained: their seqs in the local log
        bool operator==(const Run&) const = default;
    };

    std::vector<Run> runs;         // the collector's findings in its order, then the local log's
    std::int64_t runsNotKept = 0;  // beyond the bound on kept runs
    std::int64_t centralEntries = 0, centralChains = 0, localEntries = 0, localChains = 0;
    std::int64_t lost = 0, changed = 0, notYet = 0, neverSent = 0;
    std::int64_t repeats = 0;  // the collector's lines it holds twice

    bool lostOrChanged() const { return lost > 0 || changed > 0; }
};

}  // namespace veyrune
