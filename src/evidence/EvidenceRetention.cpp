#include <algorithm>

#include "base/LocalCalendar.h"
#include "evidence/EvidenceLibrary.h"

// Retention of the evidence folder: the age step works on day folders only,
// the size step on every file in the tree.

namespace veyrune {

namespace {

constexpr int maximumDepth = 16;
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
    pruneByAge(children, keepDays);
    if (maxMB && *maxMB > 0) {
        pruneBySize(*maxMB);
    }
}

void EvidenceLibrary::pruneByAge(const std::vector<DirectoryEntry>& children,
                                 std::int64_t keepDays) const {
    Instant now = clock_.now();
    LocalCalendar calendar;
    Instant cutoff = calendar.subtractingDays(now, keepDays).value_or(now);
    for (const auto& child : children) {
        if (isHiddenName(child.path) || !child.isDirectory) {
            continue;
        }
        auto day = calendar.startOfDay(child.path.filename().string());
        if (!day || *day >= cutoff) {
            continue;
        }
        removeInsideRoot(child.path);
    }
}

void EvidenceLibrary::pruneBySize(std::int64_t maxMB) const {
    std::vector<DirectoryEntry> files;
    collectAll(rootURL_, 0, files);
    std::stable_sort(files.begin(), files.end(),
                     [](const auto& a, const auto& b) { return a.modifiedAt < b.modifiedAt; });

    std::int64_t limit = maxMB > INT64_MAX / bytesPerMB ? INT64_MAX : maxMB * bytesPerMB;
    std::int64_t total = 0;
    for (const auto& file : files) {
        total += std::int64_t(file.size);
    }
    for (const auto& file : files) {
        if (total <= limit) {
            return;
        }
        removeInsideRoot(file.path);
        // Counted as freed even when it stayed, so the walk always ends.
        total -= std::int64_t(file.size);
    }
}

void EvidenceLibrary::collectAll(const std::filesystem::path& folder, int depth,
                                 std::vector<DirectoryEntry>& into) const {
    if (depth > maximumDepth) {
        return;
    }
    std::vector<DirectoryEntry> entries;
    try {
        entries = fileSystem_.list(folder);
    } catch (const FileError&) {
        return;  // an unreadable folder is passed over
    }
    for (auto& entry : entries) {
        if (isHiddenName(entry.path)) {
            continue;
        }
        if (entry.isDirectory) {
            collectAll(entry.path, depth + 1, into);
        } else if (entry.isRegularFile) {
            into.push_back(std::move(entry));
        }
    }
}

void EvidenceLibrary::removeInsideRoot(const std::filesystem::path& path) const {
    auto relative = path.lexically_normal().lexically_relative(rootURL_.lexically_normal());
    if (relative.empty() || *relative.begin() == ".." || *relative.begin() == ".") {
        return;
    }
    try {
        fileSystem_.removeAll(path);
    } catch (const FileError&) {
    }
}

}  // namespace veyrune
