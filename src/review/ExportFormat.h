#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/Instant.h"

namespace veyrune {

// The three forms an export can take, in menu order.
enum class ExportFormat { csv, json, verifiableLog };

inline constexpr std::array<ExportFormat, 3> allExportFormats = {
    ExportFormat::csv, ExportFormat::json, ExportFormat::verifiableLog};

// "csv", "json", "verifiableLog".
std::string_view rawValue(ExportFormat format);
std::optional<ExportFormat> exportFormatFromRaw(std::string_view raw);
// "CSV…", "JSON…", "Verifiable log (.jsonl)…".
std::string_view menuTitle(ExportFormat format);
// The file type offered in the save dialog: "text/csv", "application/json",
// "application/octet-stream".
std::string_view mediaType(ExportFormat format);
// The save dialog's message; only the verifiable log has one.
std::optional<std::string> saveDialogMessage(ExportFormat format);

// `now` in UTC with whole seconds, ":" replaced by "-": "2026-03-05T14-07-09Z".
std::string exportStamp(Instant now);
// "veyrune-events-<stamp>.csv", "....json" or "security-events.jsonl".
std::string defaultFileName(ExportFormat format, Instant now);

}  // namespace veyrune
