#include "review/JSONExport.h"

namespace veyrune {

using nlohmann::json;

namespace {

template <typename T>
json orNull(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

json filterObject(const TimelineFilter& filter, std::int64_t linkedCount) {
    json kinds = json::array();
    for (auto kind : allSecurityEventKinds) {
        if (filter.kinds.contains(kind)) {
            kinds.push_back(std::string(rawValue(kind)));
        }
    }
    return {{"active", !filter.isDefault()},
            {"description", orNull(filter.summaryDescription())},
            {"range", filter.dateRange.title()},
            {"kinds", kinds},
            {"eventsOpenedFromLink", linkedCount}};
}

json integrityObject(const std::optional<std::string>& chainSummary, bool chainWasVerified,
                     std::int64_t totalCount) {
    return {{"checked", chainWasVerified},
            {"statement", orNull(chainSummary)},
            {"reVerifiable", false},
            {"reason", "This document is a re-encoding; verify security-events.jsonl instead."},
            {"fullLogEntries", totalCount}};
}

std::string scalarText(const json& value) {
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::strict);
    if (!value.is_string()) {
        return text;
    }
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '/') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

void writePretty(const json& value, int depth, std::string& out) {
    const std::string inner(std::size_t(depth + 1) * 2, ' ');
    const std::string closing(std::size_t(depth) * 2, ' ');
    if (value.is_object()) {
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += first ? "" : ",\n";
            first = false;
            out += inner + scalarText(json(key)) + " : ";
            writePretty(member, depth + 1, out);
        }
        out += "\n" + closing + "}";
    } else if (value.is_array()) {
        out += "[\n";
        for (std::size_t i = 0; i < value.size(); ++i) {
            out += (i == 0 ? "" : ",\n") + inner;
            writePretty(value[i], depth + 1, out);
        }
        out += "\n" + closing + "]";
    } else {
        out += scalarText(value);
    }
}

}  // namespace

json jsonObject(const SecurityEvent& event) {
    const auto& context = event.context;
    json evidenceIDs = json::array();
    for (const auto& id : event.evidenceIDs) {
        evidenceIDs.push_back(id.uuidString());
    }
    return {{"id", event.id.uuidString()},
            {"occurredAt", iso8601String(event.occurredAt)},
            {"kind", std::string(rawValue(event.kind))},
            {"summary", event.summary},
            {"context",
             {{"machineName", orNull(context.machineName)},
              {"userName", orNull(context.userName)},
              {"wifiSSID", orNull(context.wifiSSID)},
              {"batteryPercent", orNull(context.batteryPercent)},
              {"wakeReason", orNull(context.wakeReason)}}},
            {"evidenceIDs", evidenceIDs}};
}

std::string prettyJSONText(const json& value) {
    std::string out;
    writePretty(value, 0, out);
    return out;
}

std::string exportJSON(const std::vector<SecurityEvent>& events, const TimelineFilter& filter,
                       std::int64_t totalCount, const std::optional<std::string>& chainSummary,
                       bool chainWasVerified, std::int64_t linkedCount, Instant exportedAt,
                       const std::string& generator) {
    json eventObjects = json::array();
    for (const auto& event : events) {
        eventObjects.push_back(jsonObject(event));
    }
    json document = {{"generator", generator},
                     {"exportedAt", iso8601String(exportedAt)},
                     {"filter", filterObject(filter, linkedCount)},
                     {"integrity", integrityObject(chainSummary, chainWasVerified, totalCount)},
                     {"events", eventObjects}};
    return prettyJSONText(document);
}

}  // namespace veyrune
