#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "base/PosixFileSystem.h"
#include "evidence/EvidenceFile.h"
#include "evidence/EvidenceLibraryEntry.h"

namespace veyrune {

// The evidence folder: one sub-folder per local day ("yyyy-MM-dd", in the
// current time zone) holding photos and screenshots. Walks never follow a
// symbolic link, only regular files count as evidence, and nothing outside the
// folder is ever removed. Holds no state beyond its collaborators, which must
// outlive it; every call reads the disk afresh and runs on the caller's thread.
class EvidenceLibrary {
  public:
    explicit EvidenceLibrary(FileSystem& fileSystem = PosixFileSystem::shared(),
                             const Clock& clock = SystemClock::shared(),
                             std::filesystem::path rootURL = defaultRootURL());

    // veyruneDataDirectory()/Evidence; does not touch the disk.
    static std::filesystem::path defaultRootURL();

    const std::filesystem::path& rootURL() const { return rootURL_; }
    // The file layer the library works through; capturers write with it too.
    FileSystem& fileSystem() const { return fileSystem_; }
    // Creates the root with missing parents. Throws FileError.
    std::filesystem::path ensureRoot() const;
    // Ensures the root and today's folder and returns the latter. Throws FileError.
    std::filesystem::path dayFolder() const;
    // Every evidence file under the root, newest first, equal dates by path.
    // A missing or unreadable root gives an empty list; an unreadable
    // sub-folder throws FileError.
    std::vector<EvidenceFile> files() const;

    static std::vector<EvidenceLibraryEntry> entries(const std::vector<EvidenceFile>& files,
                                                     const std::vector<EvidenceItem>& items,
                                                     const std::vector<SecurityEvent>& events) {
        return joinEvidenceEntries(files, items, events);
    }

    // Removes day folders older than `keepDays` calendar days, then the oldest
    // files until the tree fits in `maxMB` megabytes (no size limit when
    // absent or not positive). Never fails: file errors are ignored.
    void enforceRetention(std::int64_t keepDays, std::optional<std::int64_t> maxMB) const;

  private:
    void collectFiles(const std::vector<DirectoryEntry>& entries, int depth,
                      std::vector<EvidenceFile>& into) const;
    void pruneByAge(const std::vector<DirectoryEntry>& children, std::int64_t keepDays) const;
    void pruneBySize(std::int64_t maxMB) const;
    void collectAll(const std::filesystem::path& folder, int depth,
                    std::vector<DirectoryEntry>& into) const;
    // Removes `path` with its contents if it lies inside the root; failures
    // are ignored.
    void removeInsideRoot(const std::filesystem::path& path) const;

    FileSystem& fileSystem_;
    const Clock& clock_;
    std::filesystem::path rootURL_;
};

// True for names starting with ".", which listings skip.
bool isHiddenName(const std::filesystem::path& path);

}  // namespace veyrune
