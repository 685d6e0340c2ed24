#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Instant.h"

namespace veyrune {

// A failure of the file layer; `what()` names the path and the cause.
class FileError : public Error {
  public:
    FileError(const std::filesystem::path& path, std::string_view cause);
};

// One entry of a folder as it is, never through a link: a link to a folder is
// not a folder, and links, FIFOs, sockets and devices are not regular files.
struct DirectoryEntry {
    std::filesystem::path path;
    bool isDirectory = false;
    bool isRegularFile = false;
    std::uintmax_t size = 0;  // bytes; 0 for anything but a regular file
    Instant modifiedAt;
};

// One state of a file. A file replaced by another has another inode; one
// written to has another change time, even when its size and modification
// time were put back (the change time cannot be set from user space).
struct FileStatus {
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;  // since the Unix epoch
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    std::int64_t changedNanoseconds = 0;  // status change time (ctime), since the Unix epoch
    bool operator==(const FileStatus&) const = default;
};

// A file open for reading at chosen offsets; closed when destroyed. Used by one
// thread at a time.
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // The status of the open file itself, even if its path now names another.
    virtual FileStatus status() const = 0;
    // Fills `buffer` from `offset`; fewer bytes only at the end of the file.
    // Throws FileError.
    virtual std::size_t readAt(std::uint64_t offset, std::span<char> buffer) const = 0;
};

// Every touch of the file system goes through this, so tests can hand in a
// twin that fails on purpose. Implementations are safe to call from any thread.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when something is at `path` (through links), false when nothing
    // is. Throws FileError when that cannot be told (no permission on a
    // folder on the way, a loop of links): a log there is not absent.
    virtual bool exists(const std::filesystem::path& path) const = 0;
    // The whole file. Throws FileError (a missing file is an error here).
    virtual std::string readFile(const std::filesystem::path& path) const = 0;
    // Nothing when no file is at `path`. Throws FileError for other failures.
    virtual std::optional<FileStatus> status(const std::filesystem::path& path) const = 0;
    // Throws FileError (a missing file is an error here).
    virtual std::unique_ptr<ReadableFile> openForReading(
        const std::filesystem::path& path) const = 0;
    // Creates the folder and missing parents with mode 0700; an existing folder is fine.
    virtual void createDirectories(const std::filesystem::path& path) = 0;
    // Writes a temporary file beside `path` (mode 0600), syncs it, renames it
    // over `path` and syncs the folder. A failure of that last sync throws
    // with the new file already in place.
    virtual void writeAtomically(const std::filesystem::path& path, std::string_view bytes) = 0;
    // The file's last byte; nothing for an empty file. Throws FileError.
    virtual std::optional<char> lastByte(const std::filesystem::path& path) const = 0;
    // Appends to an existing file. A failure can leave part of `bytes` written.
    virtual void append(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Entries of one folder, not recursive, in no particular order. Throws
    // FileError, also when the listing fails halfway.
    virtual std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const = 0;
    // Removes a file or a folder with its contents. Throws FileError.
    virtual void removeAll(const std::filesystem::path& path) = 0;

    // Entries of one folder like list(), but a folder that is itself a link is
    // refused rather than followed. Throws FileError.
    virtual std::vector<DirectoryEntry> listWithoutFollowing(
        const std::filesystem::path& folder) const = 0;
    // Removes one regular file; a link, a folder or anything else is refused.
    // Throws FileError.
    virtual void removeRegularFile(const std::filesystem::path& path) = 0;
    // Removes a folder only when it is empty; never recursive, never a link.
    // Throws FileError.
    virtual void removeEmptyFolder(const std::filesystem::path& path) = 0;
};

}  // namespace veyrune
