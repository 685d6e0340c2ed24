#include "review/CSVExport.h"

#include <string_view>

namespace veyrune {

namespace {

const std::vector<std::string> kHeader = {"id",      "occurredAt",     "kind",
                                          "summary", "machine",        "user",
                                          "wifi",    "batteryPercent", "evidenceCount"};

std::string csvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i == 0 ? "" : ",") + csvField(fields[i]);
    }
    return line;
}

std::string countLine(std::int64_t shown, std::int64_t total,
                      const std::optional<std::string>& filterDescription, std::int64_t linked) {
    std::string line = "# Veyrune event export \u2014 ";
    if (filterDescription) {
        line += std::to_string(shown) + " of " + std::to_string(total) + " events (" +
                *filterDescription + ")";
    } else {
        line += std::to_string(shown) + " events";
    }
    if (linked > 0) {
        line += ", plus " + std::to_string(linked) + (linked == 1 ? " event" : " events") +
                " opened from a link";
    }
    return line;
}

std::vector<std::string> integrityLines(const std::optional<std::string>& chainSummary,
                                        bool isExtract) {
    if (!chainSummary) {
        return {"# Integrity could not be checked at export."};
    }
    if (isExtract) {
        return {"# Full log at export: " + *chainSummary,
                "# This is a filtered extract and cannot itself be re-verified; verify "
                "security-events.jsonl."};
    }
    return {"# " + *chainSummary};
}

}  // namespace

std::string csvField(const std::string& value) {
    // A spreadsheet runs a cell that begins like this as a formula, and
    // summaries and network names are chosen by whoever names a USB device or
    // runs a hotspot: the apostrophe keeps such a cell text.
    std::string text = value;
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        text.insert(text.begin(), '\'');
    }
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::vector<std::string> csvRow(const SecurityEvent& event) {
    const auto& context = event.context;
    return {
        event.id.uuidString(),
        iso8601String(event.occurredAt),
        std::string(rawValue(event.kind)),
        event.summary,
        context.machineName.value_or(""),
        context.userName.value_or(""),
        context.wifiSSID.value_or(""),
        context.batteryPercent ? std::to_string(*context.batteryPercent) : "",
        std::to_string(event.evidenceIDs.size()),
    };
}

std::string exportCSV(const std::vector<SecurityEvent>& events,
                      const std::optional<std::string>& chainSummary,
                      std::optional<std::int64_t> shownCount,
                      std::optional<std::int64_t> totalCount,
                      const std::optional<std::string>& filterDescription,
                      std::int64_t linkedCount) {
    const auto count = std::int64_t(events.size());
    const std::int64_t shown = shownCount.value_or(count - linkedCount);
    const std::int64_t total = totalCount.value_or(count);

    std::vector<std::string> lines{countLine(shown, total, filterDescription, linkedCount)};
    bool isExtract = filterDescription.has_value() || linkedCount > 0;
    for (auto& line : integrityLines(chainSummary, isExtract)) {
        lines.push_back(std::move(line));
    }
    lines.push_back(csvLine(kHeader));
    for (const auto& event : events) {
        lines.push_back(csvLine(csvRow(event)));
    }

    std::string document;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        document += (i == 0 ? "" : "\n") + lines[i];
    }
    return document;
}

}  // namespace veyrune
