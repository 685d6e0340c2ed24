#include "review/ExportFormat.h"

#include <algorithm>

namespace veyrune {

std::string_view rawValue(ExportFormat format) {
    switch (format) {
        case ExportFormat::csv:
            return "csv";
        case ExportFormat::json:
            return "json";
        case ExportFormat::verifiableLog:
            return "verifiableLog";
    }
    return "";
}

std::optional<ExportFormat> exportFormatFromRaw(std::string_view raw) {
    for (auto format : allExportFormats) {
        if (rawValue(format) == raw) {
            return format;
        }
    }
    return std::nullopt;
}

std::string_view menuTitle(ExportFormat format) {
    switch (format) {
        case ExportFormat::csv:
            return "CSV\u2026";
        case ExportFormat::json:
            return "JSON\u2026";
        case ExportFormat::verifiableLog:
            return "Verifiable log (.jsonl)\u2026";
    }
    return "";
}

std::string_view mediaType(ExportFormat format) {
    switch (format) {
        case ExportFormat::csv:
            return "text/csv";
        case ExportFormat::json:
            return "application/json";
        case ExportFormat::verifiableLog:
            return "application/octet-stream";
    }
    return "";
}

std::optional<std::string> saveDialogMessage(ExportFormat format) {
    if (format != ExportFormat::verifiableLog) {
        return std::nullopt;
    }
    return "The verifiable log is always the complete log, so it can be checked independently.";
}

std::string exportStamp(Instant now) {
    std::string stamp = iso8601String(now);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return stamp;
}

std::string defaultFileName(ExportFormat format, Instant now) {
    switch (format) {
        case ExportFormat::csv:
            return "veyrune-events-" + exportStamp(now) + ".csv";
        case ExportFormat::json:
            return "veyrune-events-" + exportStamp(now) + ".json";
        case ExportFormat::verifiableLog:
            return "security-events.jsonl";
    }
    return "";
}

}  // namespace veyrune
