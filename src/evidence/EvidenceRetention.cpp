#include <algorithm>

#include "base/LocalCalendar.h"
#include "evidence/EvidenceFileName.h"
#include "evidence/EvidenceLibrary.h"

// Retention removes only what Veyrune wrote: files named by the capturers
// directly inside day folders, and day folders that end up empty. The root may
// be a link to a folder that also holds the user's own files; those stay.

namespace veyrune {

namespace {

constexpr std::int64_t bytesPerMB = 1'048'576;

}  // namespace

void EvidenceLibrary::enforceRetention(std::int64_t keepDays,
                                       std::optional<std::int64_t> maxMB) const {
    try {
        ensureRoot();
    } catch (const FileError&) {
    }
    std::vector<DirectoryEntry> children;
    try {
        children = fileSystem_.list(rootURL_);
    } catch (const FileError&) {
        return;
    }
    auto days = dayFolders(children);
    pruneByAge(days, keepDays);
    if (maxMB && *maxMB > 0) {
        pruneBySize(days, *maxMB);
    }
}

std::vector<EvidenceLibrary::DayFolder> EvidenceLibrary::dayFolders(
    const std::vector<DirectoryEntry>& children) const {
    LocalCalendar calendar;
    std::vector<DayFolder> days;
    for (const auto& child : children) {
        // A link to a folder is not a folder here, so it is never walked into.
        if (!child.isDirectory) {
            continue;
        }
        if (auto start = calendar.startOfDay(child.path.filename().string())) {
            days.push_back({child.path, *start});
        }
    }
    return days;
}

std::vector<DirectoryEntry> EvidenceLibrary::capturedFiles(
    const std::filesystem::path& folder) const {
    std::vector<DirectoryEntry> entries;
    try {
        entries = fileSystem_.listWithoutFollowing(folder);
    } catch (const FileError&) {
        return {};
    }
    std::erase_if(entries, [](const DirectoryEntry& entry) {
        return !entry.isRegularFile || !isEvidenceFileName(entry.path.filename().string());
    });
    return entries;
}

void EvidenceLibrary::pruneByAge(const std::vector<DayFolder>& days, std::int64_t keepDays) const {
    Instant now = clock_.now();
    LocalCalendar calendar;
    Instant cutoff = calendar.subtractingDays(now, keepDays).value_or(now);
    // Captures write into today's folder, so even a zero or negative keepDays
    // leaves it (and any later one) alone.
    Instant today = calendar.startOfDay(now);
    for (const auto& day : days) {
        if (day.start >= cutoff || day.start >= today) {
            continue;
        }
        for (const auto& file : capturedFiles(day.path)) {
            removeFile(file.path);
        }
        removeFolderIfEmpty(day.path);
    }
}

void EvidenceLibrary::pruneBySize(const std::vector<DayFolder>& days, std::int64_t maxMB) const {
    std::vector<DirectoryEntry> files;
    for (const auto& day : days) {
        auto found = capturedFiles(day.path);
        files.insert(files.end(), found.begin(), found.end());
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        if (a.modifiedAt != b.modifiedAt) {
            return a.modifiedAt < b.modifiedAt;
        }
        return a.path < b.path;
    });

    std::int64_t limit = maxMB > INT64_MAX / bytesPerMB ? INT64_MAX : maxMB * bytesPerMB;
    std::int64_t total = 0;
    for (const auto& file : files) {
        total += std::int64_t(file.size);
    }
    for (const auto& file : files) {
        if (total <= limit) {
            return;
        }
        removeFile(file.path);
        // Counted as freed even when it stayed, so the walk always ends.
        total -= std::int64_t(file.size);
    }
}

void EvidenceLibrary::removeFile(const std::filesystem::path& path) const {
    try {
        fileSystem_.removeRegularFile(path);
    } catch (const FileError&) {
    }
}

void EvidenceLibrary::removeFolderIfEmpty(const std::filesystem::path& path) const {
    // Never waits: a capture must not stall behind retention, and a folder
    // passed over now is removed at a later launch.
    std::unique_lock lock(writing_, std::try_to_lock);
    if (!lock.owns_lock()) {
        return;
    }
    try {
        fileSystem_.removeEmptyFolder(path);
    } catch (const FileError&) {
    }
}

}  // namespace veyrune
