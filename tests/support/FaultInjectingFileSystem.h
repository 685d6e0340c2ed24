#pragma once

#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "base/PosixFileSystem.h"

namespace veyrune::test {

// The real file system with faults switched on by the test: failing reads,
// writes, folder creation, listing or removal (everywhere or at chosen paths),
// and appends that stop after N bytes, leaving the partial write on disk as a
// crash or a full disk would. Records every removal it was asked for and counts
// the reads. `afterCreatingFolders` runs once a folder was made, so a test can
// let another thread act at that moment.
class FaultInjectingFileSystem final : public FileSystem {
  public:
    bool failReads = false;
    bool failCreateDirectories = false;
    bool failAtomicWrites = false;
    std::optional<std::size_t> failAppendAfterBytes;
    std::function<void(const std::filesystem::path&)> afterCreatingFolders;

    void failRemoving(const std::filesystem::path& path) { removeFailures_.insert(path); }
    void failListing(const std::filesystem::path& path) { listFailures_.insert(path); }
    void failCreating(const std::filesystem::path& path) { createFailures_.insert(path); }
    void failWrites() { failAtomicWrites = true; }
    const std::vector<std::filesystem::path>& removals() const { return removals_; }

    bool exists(const std::filesystem::path& path) const override { return real_.exists(path); }
    std::string readFile(const std::filesystem::path& path) const override {
        refuseIf(failReads, path, "read");
        ++reads_;
        return real_.readFile(path);
    }
    std::optional<FileStatus> status(const std::filesystem::path& path) const override {
        return real_.status(path);
    }
    std::unique_ptr<ReadableFile> openForReading(const std::filesystem::path& path) const override {
        refuseIf(failReads, path, "read");
        ++reads_;
        return real_.openForReading(path);
    }
    // How many times a whole file was read or a file opened for reading.
    int reads() const { return reads_; }
    void createDirectories(const std::filesystem::path& path) override {
        refuseIf(failCreateDirectories || createFailures_.contains(path), path, "creation");
        real_.createDirectories(path);
        if (afterCreatingFolders) {
            afterCreatingFolders(path);
        }
    }
    void writeAtomically(const std::filesystem::path& path, std::string_view bytes) override {
        refuseIf(failAtomicWrites, path, "write");
        real_.writeAtomically(path, bytes);
    }
    std::optional<char> lastByte(const std::filesystem::path& path) const override {
        refuseIf(failReads, path, "read");
        return real_.lastByte(path);
    }
    void append(const std::filesystem::path& path, std::string_view bytes) override {
        if (failAppendAfterBytes && *failAppendAfterBytes < bytes.size()) {
            real_.append(path, bytes.substr(0, *failAppendAfterBytes));
            throw FileError(path, "short write injected by test");
        }
        real_.append(path, bytes);
    }
    std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const override {
        refuseIf(listFailures_.contains(folder), folder, "listing");
        return real_.list(folder);
    }
    void removeAll(const std::filesystem::path& path) override {
        removals_.push_back(path);
        refuseIf(removeFailures_.contains(path), path, "removal");
        real_.removeAll(path);
    }
    std::vector<DirectoryEntry> listWithoutFollowing(
        const std::filesystem::path& folder) const override {
        refuseIf(listFailures_.contains(folder), folder, "listing");
        return real_.listWithoutFollowing(folder);
    }
    void removeRegularFile(const std::filesystem::path& path) override {
        removals_.push_back(path);
        refuseIf(removeFailures_.contains(path), path, "removal");
        real_.removeRegularFile(path);
    }
    void removeEmptyFolder(const std::filesystem::path& path) override {
        removals_.push_back(path);
        refuseIf(removeFailures_.contains(path), path, "removal");
        real_.removeEmptyFolder(path);
    }

  private:
    static void refuseIf(bool refuse, const std::filesystem::path& path, const char* what) {
        if (refuse) {
            throw FileError(path, std::string(what) + " refused by test");
        }
    }

    PosixFileSystem real_;
    std::set<std::filesystem::path> removeFailures_;
    std::set<std::filesystem::path> listFailures_;
    std::set<std::filesystem::path> createFailures_;
    std::vector<std::filesystem::path> removals_;
    mutable int reads_ = 0;
};

}  // namespace veyrune::test
