#include "evidence/EvidenceLibraryEntry.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "evidence/FileURL.h"

namespace veyrune {

namespace {

std::string normalisedPath(const std::filesystem::path& path) {
    return path.lexically_normal().string();
}

std::optional<std::string> itemKey(const EvidenceItem& item) {
    auto path = pathFromFileURL(item.fileURL);
    return path ? std::optional(normalisedPath(*path)) : std::nullopt;
}

EvidenceLibraryEntryStatus statusFor(bool hasFile, bool hasEvent) {
    if (!hasFile) {
        return EvidenceLibraryEntryStatus::fileUnavailable;
    }
    return hasEvent ? EvidenceLibraryEntryStatus::linked
                    : EvidenceLibraryEntryStatus::eventUnavailable;
}

}  // namespace

std::string EvidenceLibraryEntry::id() const {
    if (item) {
        return item->id.uuidString();
    }
    if (file) {
        return normalisedPath(file->url);
    }
    return "unavailable";
}

std::optional<std::filesystem::path> EvidenceLibraryEntry::url() const {
    if (file) {
        return file->url;
    }
    if (item) {
        return pathFromFileURL(item->fileURL);
    }
    return std::nullopt;
}

Instant EvidenceLibraryEntry::date() const {
    if (item) {
        return item->createdAt;
    }
    if (file) {
        return file->createdAt;
    }
    return distantPast();
}

std::vector<EvidenceLibraryEntry> joinEvidenceEntries(const std::vector<EvidenceFile>& files,
                                                      const std::vector<EvidenceItem>& items,
                                                      const std::vector<SecurityEvent>& events) {
    std::unordered_map<Uuid, const SecurityEvent*> eventsByID;
    for (const auto& event : events) {
        eventsByID[event.id] = &event;
    }
    // Ordered by path so the unclaimed rest comes out the same on every run.
    std::map<std::string, const EvidenceFile*> filesByPath;
    for (const auto& file : files) {
        filesByPath[normalisedPath(file.url)] = &file;
    }

    std::vector<EvidenceLibraryEntry> entries;
    for (const auto& item : items) {
        EvidenceLibraryEntry entry;
        entry.item = item;
        if (auto key = itemKey(item); key) {
            if (auto found = filesByPath.find(*key); found != filesByPath.end()) {
                entry.file = *found->second;
                filesByPath.erase(found);
            }
        }
        if (auto found = eventsByID.find(item.eventID); found != eventsByID.end()) {
            entry.event = *found->second;
        }
        entry.status = statusFor(entry.file.has_value(), entry.event.has_value());
        entries.push_back(std::move(entry));
    }
    for (const auto& [path, file] : filesByPath) {
        entries.push_back(
            {*file, std::nullopt, std::nullopt, EvidenceLibraryEntryStatus::unlinked});
    }

    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        if (a.date() != b.date()) {
            return a.date() > b.date();
        }
        return a.id() < b.id();
    });
    return entries;
}

}  // namespace veyrune
