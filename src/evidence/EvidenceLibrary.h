#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "base/PosixFileSystem.h"
#include "evidence/EvidenceFile.h"
#include "evidence/EvidenceLibraryEntry.h"

namespace veyrune {

// The evidence folder: one sub-folder per local day ("yyyy-MM-dd", in the
// current time zone) holding photos and screenshots. The folder itself may be a
// link (evidence moved to another disk); below it walks never follow a link,
// only regular files count as evidence, and retention removes only the files
// the capturers write and day folders left empty. Holds no state beyond its
// collaborators, which must outlive it, and one lock; every call reads the disk
// afresh and runs on the caller's thread, and captures may write while
// retention runs on another thread.
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
    // Writes `bytes` into today's folder as evidenceFileName(takenAt,
    // extension) and returns its path. Retention removes no folder while this
    // runs. Throws FileError.
    std::filesystem::path writeEvidence(Instant takenAt, std::string_view extension,
                                        std::string_view bytes) const;
    // Every evidence file under the root, newest first, equal dates by path.
    // A missing or unreadable root gives an empty list; an unreadable
    // sub-folder throws FileError.
    std::vector<EvidenceFile> files() const;

    static std::vector<EvidenceLibraryEntry> entries(const std::vector<EvidenceFile>& files,
                                                     const std::vector<EvidenceItem>& items,
                                                     const std::vector<SecurityEvent>& events) {
        return joinEvidenceEntries(files, items, events);
    }

    // Age: removes the capturers' files from day folders older than `keepDays`
    // calendar days (never today's or a later one), then each such folder if
    // nothing is left in it. Size: removes the oldest of the capturers' files
    // in day folders until those fit in `maxMB` megabytes (no limit when absent
    // or not positive). Anything else in the tree is neither removed nor
    // counted. Never fails: file errors are ignored.
    void enforceRetention(std::int64_t keepDays, std::optional<std::int64_t> maxMB) const;

  private:
    struct DayFolder {
        std::filesystem::path path;
        Instant start;
    };

    void collectFiles(const std::vector<DirectoryEntry>& entries, int depth,
                      std::vector<EvidenceFile>& into) const;
    std::vector<DayFolder> dayFolders(const std::vector<DirectoryEntry>& children) const;
    // The capturers' files directly in `folder`; nothing when it cannot be read.
    std::vector<DirectoryEntry> capturedFiles(const std::filesystem::path& folder) const;
    void pruneByAge(const std::vector<DayFolder>& days, std::int64_t keepDays) const;
    void pruneBySize(const std::vector<DayFolder>& days, std::int64_t maxMB) const;
    void removeFile(const std::filesystem::path& path) const;
    // Skipped while a capture is writing: the folder may be the one it just made.
    void removeFolderIfEmpty(const std::filesystem::path& path) const;

    FileSystem& fileSystem_;
    const Clock& clock_;
    std::filesystem::path rootURL_;
    // Held by a capture from making its day folder to the end of its write.
    mutable std::mutex writing_;
};

// True for names starting with ".", which listings skip.
bool isHiddenName(const std::filesystem::path& path);

}  // namespace veyrune
