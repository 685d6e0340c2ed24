#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "evidence/EvidenceFile.h"
#include "record/EvidenceItem.h"
#include "record/SecurityEvent.h"

namespace veyrune {

enum class EvidenceLibraryEntryStatus { linked, unlinked, fileUnavailable, eventUnavailable };

// One row of the evidence library: a file, the index item that names it and
// that item's event, each present or not.
struct EvidenceLibraryEntry {
    std::optional<EvidenceFile> file;
    std::optional<EvidenceItem> item;
    std::optional<SecurityEvent> event;
    EvidenceLibraryEntryStatus status = EvidenceLibraryEntryStatus::unlinked;

    // The item's upper-case UUID, else the file's normalised path, else "unavailable".
    std::string id() const;
    // The file's path, else the path the item's URL names, else nothing.
    std::optional<std::filesystem::path> url() const;
    // The item's date, else the file's, else the distant past.
    Instant date() const;

    bool operator==(const EvidenceLibraryEntry&) const = default;
};

// Joins files, index items and events into rows: each item claims at most one
// file with its URL, files no item claims are `unlinked`. Sorted newest first,
// equal dates by id. Pure.
std::vector<EvidenceLibraryEntry> joinEvidenceEntries(const std::vector<EvidenceFile>& files,
                                                      const std::vector<EvidenceItem>& items,
                                                      const std::vector<SecurityEvent>& events);

}  // namespace veyrune
