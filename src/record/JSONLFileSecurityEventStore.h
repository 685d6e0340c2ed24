#pragma once

#include <filesystem>

#include "base/FileSystem.h"
#include "record/SecurityEventStore.h"

namespace veyrune {

// The hash-chained event log, "security-events.jsonl". Holds no lock and no
// open file between calls: appends must come from one thread (the main thread).
// Copies refer to the same file; `files` must outlive the store.
class JSONLFileSecurityEventStore final : public SecurityEventStore {
  public:
    // The default location in Veyrune's data folder.
    JSONLFileSecurityEventStore();
    explicit JSONLFileSecurityEventStore(std::filesystem::path fileURL, FileSystem& files);

    static std::filesystem::path defaultFileURL();
    const std::filesystem::path& fileURL() const { return fileURL_; }

    void append(const SecurityEvent& event) override;
    std::vector<std::string> readLines() const override;
    LogRead readLinesAfter(const LogPosition& position, LogLineSink& sink) const override;
    std::vector<SecurityEvent> allEvents() const override;
    std::vector<SecurityEvent> recentEvents(long limit) const override;
    std::vector<SecurityEvent> events(const std::unordered_set<Uuid>& ids) const override;

    // Decodes one stored line: ISO dates first, then numeric dates (older lines).
    static std::optional<SecurityEvent> decodeLine(const std::string& line);

  private:
    std::filesystem::path fileURL_;
    FileSystem* files_;
};

}  // namespace veyrune
