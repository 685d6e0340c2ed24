#include "review/ExportRequest.h"

namespace veyrune {

ExportRequest ExportRequest::make(ExportFormat format, const TimelineEventSet& events,
                                  const TimelineFilter& filter,
                                  const std::optional<ChainStatusProjection>& chainStatus) {
    ExportRequest request;
    request.format = format;
    request.totalCount = std::int64_t(events.all.size());
    if (chainStatus) {
        request.chainSummary = chainSummaryText(*chainStatus);
        request.chainWasVerified = chainStatus->didVerify;
    }
    if (format == ExportFormat::verifiableLog) {
        request.events = events.all;
        request.filter = TimelineFilter::defaultFilter();
        request.linkedEventCount = 0;
    } else {
        request.events = events.displayed;
        request.filter = filter;
        request.linkedEventCount = std::int64_t(events.linked.size());
    }
    return request;
}

}  // namespace veyrune
