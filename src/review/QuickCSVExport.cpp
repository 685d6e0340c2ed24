#include "review/QuickCSVExport.h"

#include "review/CSVExport.h"
#include "review/ExportFormat.h"

namespace veyrune {

std::optional<std::filesystem::path> quickExportCSV(const SecurityEventStore& store,
                                                    FileSystem& files,
                                                    const std::filesystem::path& folder,
                                                    Instant now) {
    try {
        auto events = store.recentEvents(500);
        auto path = folder / defaultFileName(ExportFormat::csv, now);
        files.createDirectories(folder);
        files.writeAtomically(
            path, exportCSV(events, std::nullopt, std::nullopt, std::nullopt, std::nullopt, 0));
        return path;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace veyrune
