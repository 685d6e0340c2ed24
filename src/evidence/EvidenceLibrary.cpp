#include "evidence/EvidenceLibrary.h"

#include <algorithm>

#include "base/DataLocation.h"
#include "base/LocalCalendar.h"
#include "evidence/EvidenceFileName.h"

namespace veyrune {

namespace {

// Folders nest only two deep here; the bound keeps a deep tree from
// exhausting the stack.
constexpr int maximumDepth = 16;

}  // namespace

bool isHiddenName(const std::filesystem::path& path) {
    auto name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

EvidenceLibrary::EvidenceLibrary(FileSystem& fileSystem, const Clock& clock,
                                 std::filesystem::path rootURL)
    : fileSystem_(fileSystem), clock_(clock), rootURL_(std::move(rootURL)) {}

std::filesystem::path EvidenceLibrary::defaultRootURL() {
    return veyruneDataDirectory() / "Evidence";
}

std::filesystem::path EvidenceLibrary::ensureRoot() const {
    fileSystem_.createDirectories(rootURL_);
    return rootURL_;
}

std::filesystem::path EvidenceLibrary::dayFolder() const {
    auto folder = ensureRoot() / LocalCalendar().dayText(clock_.now());
    fileSystem_.createDirectories(folder);
    return folder;
}

std::filesystem::path EvidenceLibrary::writeEvidence(Instant takenAt, std::string_view extension,
                                                     std::string_view bytes) const {
    std::lock_guard lock(writing_);
    auto url = dayFolder() / evidenceFileName(takenAt, extension);
    fileSystem_.writeAtomically(url, bytes);
    return url;
}

std::vector<EvidenceFile> EvidenceLibrary::files() const {
    std::vector<EvidenceFile> found;
    std::vector<DirectoryEntry> children;
    try {
        if (!fileSystem_.exists(rootURL_)) {
            return found;
        }
        children = fileSystem_.list(rootURL_);
    } catch (const FileError&) {
        return found;
    }
    collectFiles(children, 0, found);
    std::sort(found.begin(), found.end(), [](const EvidenceFile& a, const EvidenceFile& b) {
        if (a.createdAt != b.createdAt) {
            return a.createdAt > b.createdAt;
        }
        return a.url.string() < b.url.string();
    });
    return found;
}

void EvidenceLibrary::collectFiles(const std::vector<DirectoryEntry>& entries, int depth,
                                   std::vector<EvidenceFile>& into) const {
    if (depth > maximumDepth) {
        return;
    }
    for (const auto& entry : entries) {
        if (isHiddenName(entry.path)) {
            continue;
        }
        if (entry.isDirectory) {
            collectFiles(fileSystem_.list(entry.path), depth + 1, into);
            continue;
        }
        if (!entry.isRegularFile) {
            continue;  // links, FIFOs, sockets and devices
        }
        auto extension = entry.path.extension().string();
        auto kind = evidenceFileKindForExtension(extension.empty() ? "" : extension.substr(1));
        if (!kind) {
            continue;
        }
        // The folder listing carries no birth time; files are written once, so
        // the modification time is their creation time.
        into.push_back({entry.path, *kind, entry.modifiedAt, std::int64_t(entry.size)});
    }
}

}  // namespace veyrune
