#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "review/ChainStatusProjection.h"
#include "review/ExportFormat.h"
#include "review/TimelineEventSet.h"

namespace veyrune {

// What one export carries from the timeline.
struct ExportRequest {
    ExportFormat format = ExportFormat::csv;
    std::vector<SecurityEvent> events;  // newest first
    TimelineFilter filter;
    std::int64_t totalCount = 0;  // events in the whole log
    std::optional<std::string> chainSummary;
    bool chainWasVerified = false;
    std::int64_t linkedEventCount = 0;

    // CSV and JSON take what the timeline displays; the verifiable log always
    // stands for the whole log with the default filter.
    static ExportRequest make(ExportFormat format, const TimelineEventSet& events,
                              const TimelineFilter& filter,
                              const std::optional<ChainStatusProjection>& chainStatus);

    bool operator==(const ExportRequest&) const = default;
};

}  // namespace veyrune
