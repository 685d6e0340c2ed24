#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "review/ExportRequest.h"

namespace veyrune {

// "Veyrune" and the version text, or "Veyrune" alone when that text is empty.
std::string generatorText(const std::string& versionText);

// Writes an export to the place the user chose: refuses the live log, produces
// the format's bytes and writes them atomically. Runs on the caller's thread;
// `files` and `clock` must outlive it.
class TimelineExporter {
  public:
    TimelineExporter(FileSystem& files, std::filesystem::path liveLogPath, const Clock& clock,
                     std::string versionText);

    // Nothing on success, otherwise the text the "Export Failed" alert shows.
    // An existing file at `destination` survives a failure.
    std::optional<std::string> write(const ExportRequest& request,
                                     const std::filesystem::path& destination) const;

    // The bytes of the export. Throws ExportWriteError, VerifiableLogExportError,
    // FileError or a serializer error.
    std::string produce(const ExportRequest& request, const std::filesystem::path& destination,
                        Instant exportedAt) const;

    // True when both paths name the same file once "." and ".." and links are resolved.
    static bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

  private:
    FileSystem& files_;
    std::filesystem::path liveLogPath_;
    const Clock& clock_;
    std::string versionText_;
};

}  // namespace veyrune
