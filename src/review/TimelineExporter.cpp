#include "review/TimelineExporter.h"

#include "review/CSVExport.h"
#include "review/ExportWriteError.h"
#include "review/JSONExport.h"
#include "review/VerifiableLogExportError.h"

namespace veyrune {

std::string generatorText(const std::string& versionText) {
    return versionText.empty() ? "Veyrune" : "Veyrune " + versionText;
}

TimelineExporter::TimelineExporter(FileSystem& files, std::filesystem::path liveLogPath,
                                   const Clock& clock, std::string versionText)
    : files_(files),
      liveLogPath_(std::move(liveLogPath)),
      clock_(clock),
      versionText_(std::move(versionText)) {}

bool TimelineExporter::isSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    auto first = std::filesystem::weakly_canonical(std::filesystem::absolute(a), error);
    if (error) {
        first = std::filesystem::absolute(a).lexically_normal();
    }
    auto second = std::filesystem::weakly_canonical(std::filesystem::absolute(b), error);
    if (error) {
        second = std::filesystem::absolute(b).lexically_normal();
    }
    return first == second;
}

std::string TimelineExporter::produce(const ExportRequest& request,
                                      const std::filesystem::path& destination,
                                      Instant exportedAt) const {
    // Checked before any format work, so even a verifiable log cannot replace the live one.
    if (isSameFile(destination, liveLogPath_)) {
        throw ExportWriteError(ExportWriteError::Code::destinationIsTheLiveLog);
    }
    switch (request.format) {
        case ExportFormat::csv:
            return exportCSV(request.events, request.chainSummary,
                             std::int64_t(request.events.size()) - request.linkedEventCount,
                             request.totalCount, request.filter.summaryDescription(),
                             request.linkedEventCount);
        case ExportFormat::json:
            return exportJSON(request.events, request.filter, request.totalCount,
                              request.chainSummary, request.chainWasVerified,
                              request.linkedEventCount, exportedAt, generatorText(versionText_));
        case ExportFormat::verifiableLog:
            if (!files_.exists(liveLogPath_)) {
                throw VerifiableLogExportError(VerifiableLogExportError::Code::logMissing);
            }
            return files_.readFile(liveLogPath_);
    }
    return {};
}

std::optional<std::string> TimelineExporter::write(const ExportRequest& request,
                                                   const std::filesystem::path& destination) const {
    try {
        files_.writeAtomically(destination, produce(request, destination, clock_.now()));
        return std::nullopt;
    } catch (const VerifiableLogExportError& error) {
        return std::string(error.what());
    } catch (const ExportWriteError& error) {
        return std::string(error.what());
    } catch (const std::exception& error) {
        return "Could not write " + destination.filename().string() + ": " + error.what();
    }
}

}  // namespace veyrune
