#pragma once

#include <filesystem>
#include <mutex>
#include <set>

#include "base/PosixFileSystem.h"

namespace veyrune::test {

// The real file system, except that chosen paths fail on purpose. Records
// every removal it was asked for.
class FaultyFileSystem final : public FileSystem {
  public:
    void failRemoving(const std::filesystem::path& path) { removeFailures_.insert(path); }
    void failListing(const std::filesystem::path& path) { listFailures_.insert(path); }
    void failCreating(const std::filesystem::path& path) { createFailures_.insert(path); }
    void failWrites() { failWrites_ = true; }
    const std::vector<std::filesystem::path>& removals() const { return removals_; }

    bool exists(const std::filesystem::path& path) const override { return real_.exists(path); }
    std::string readFile(const std::filesystem::path& path) const override {
        return real_.readFile(path);
    }
    void createDirectories(const std::filesystem::path& path) override {
        if (createFailures_.contains(path)) {
            throw FileError(path, "creation refused by test");
        }
        real_.createDirectories(path);
    }
    void writeAtomically(const std::filesystem::path& path, std::string_view bytes) override {
        if (failWrites_) {
            throw FileError(path, "write refused by test");
        }
        real_.writeAtomically(path, bytes);
    }
    void append(const std::filesystem::path& path, std::string_view bytes) override {
        real_.append(path, bytes);
    }
    std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const override {
        if (listFailures_.contains(folder)) {
            throw FileError(folder, "listing refused by test");
        }
        return real_.list(folder);
    }
    void removeAll(const std::filesystem::path& path) override {
        removals_.push_back(path);
        if (removeFailures_.contains(path)) {
            throw FileError(path, "removal refused by test");
        }
        real_.removeAll(path);
    }

  private:
    PosixFileSystem real_;
    std::set<std::filesystem::path> removeFailures_;
    std::set<std::filesystem::path> listFailures_;
    std::set<std::filesystem::path> createFailures_;
    bool failWrites_ = false;
    std::vector<std::filesystem::path> removals_;
};

}  // namespace veyrune::test
