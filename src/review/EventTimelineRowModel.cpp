#include "review/EventTimelineRowModel.h"

#include <algorithm>

namespace veyrune {

namespace {

std::optional<std::string> makeEvidenceText(std::int64_t count) {
    if (count <= 0) {
        return std::nullopt;
    }
    if (count == 1) {
        return "1 evidence item";
    }
    return std::to_string(count) + " evidence items";
}

void appendPart(std::vector<std::string>& parts, const std::optional<std::string>& value) {
    if (value && !value->empty()) {
        parts.push_back(*value);
    }
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : separator) + parts[i];
    }
    return text;
}

std::optional<std::string> makeContextText(const EventContext& context) {
    std::vector<std::string> parts;
    appendPart(parts, context.machineName);
    appendPart(parts, context.userName);
    appendPart(parts, context.wifiSSID);
    if (context.batteryPercent) {
        parts.push_back(std::to_string(*context.batteryPercent) + "% battery");
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    return joined(parts, " \u00b7 ");
}

}  // namespace

EventTimelineRowModel EventTimelineRowModel::make(const SecurityEvent& event,
                                                  std::int64_t evidenceCount,
                                                  const std::vector<DeliveryAttempt>& deliveries,
                                                  const TimestampFormatter& formatter) {
    EventTimelineRowModel row;
    row.id = event.id;
    row.title = std::string(displayTitle(event.kind));
    row.summary = event.summary;
    row.timestampText = formatter.format(event.occurredAt);
    row.evidenceText =
        makeEvidenceText(std::max(evidenceCount, std::int64_t(event.evidenceIDs.size())));
    row.contextText = makeContextText(event.context);
    for (const auto& attempt : deliveries) {
        row.deliveries.push_back(DeliveryTimelineProjection::make(attempt));
    }

    std::vector<std::string> parts{row.title, row.summary, row.timestampText};
    appendPart(parts, row.evidenceText);
    appendPart(parts, row.contextText);
    for (const auto& delivery : row.deliveries) {
        parts.push_back(delivery.title);
    }
    row.accessibilitySummary = joined(parts, ", ");
    return row;
}

}  // namespace veyrune
