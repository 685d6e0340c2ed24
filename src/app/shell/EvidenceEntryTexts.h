#pragma once

#include <string>

#include "evidence/EvidenceLibraryEntry.h"

namespace veyrune {

// What one evidence library row shows besides its thumbnail.
struct EvidenceEntryTexts {
    std::string kindTitle;          // "Camera Snapshot", "Screenshot" or "Evidence"
    std::string placeholderSymbol;  // shown until the thumbnail is loaded
    std::string status;             // the linked event's summary, "Manual capture", ...
    std::string statusSymbol;

    static EvidenceEntryTexts make(const EvidenceLibraryEntry& entry);
    bool operator==(const EvidenceEntryTexts&) const = default;
};

}  // namespace veyrune
