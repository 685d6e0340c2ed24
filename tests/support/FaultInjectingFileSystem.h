#pragma once

#include <optional>

#include "base/PosixFileSystem.h"

namespace veyrune::test {

// The real file system with faults switched on by the test: failing reads,
// failing folder creation, and appends that stop after N bytes, leaving the
// partial write on disk as a crash or a full disk would.
class FaultInjectingFileSystem final : public FileSystem {
  public:
    bool failReads = false;
    bool failCreateDirectories = false;
    bool failAtomicWrites = false;
    std::optional<std::size_t> failAppendAfterBytes;

    bool exists(const std::filesystem::path& path) const override { return real_.exists(path); }
    std::string readFile(const std::filesystem::path& path) const override {
        if (failReads) {
            throw FileError(path, "injected read failure");
        }
        return real_.readFile(path);
    }
    void createDirectories(const std::filesystem::path& path) override {
        if (failCreateDirectories) {
            throw FileError(path, "injected mkdir failure");
        }
        real_.createDirectories(path);
    }
    void writeAtomically(const std::filesystem::path& path, std::string_view bytes) override {
        if (failAtomicWrites) {
            throw FileError(path, "injected write failure");
        }
        real_.writeAtomically(path, bytes);
    }
    std::optional<char> lastByte(const std::filesystem::path& path) const override {
        if (failReads) {
            throw FileError(path, "injected read failure");
        }
        return real_.lastByte(path);
    }
    void append(const std::filesystem::path& path, std::string_view bytes) override {
        if (failAppendAfterBytes && *failAppendAfterBytes < bytes.size()) {
            real_.append(path, bytes.substr(0, *failAppendAfterBytes));
            throw FileError(path, "injected short write");
        }
        real_.append(path, bytes);
    }
    std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const override {
        return real_.list(folder);
    }
    void removeAll(const std::filesystem::path& path) override { real_.removeAll(path); }

  private:
    PosixFileSystem real_;
};

}  // namespace veyrune::test
