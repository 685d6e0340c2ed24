#pragma once

#include "base/FileSystem.h"

namespace veyrune {

// The real file system. Folders are created 0700 and written files 0600.
class PosixFileSystem final : public FileSystem {
  public:
    bool exists(const std::filesystem::path& path) const override;
    std::string readFile(const std::filesystem::path& path) const override;
    std::optional<FileStatus> status(const std::filesystem::path& path) const override;
    std::unique_ptr<ReadableFile> openForReading(const std::filesystem::path& path) const override;
    void createDirectories(const std::filesystem::path& path) override;
    void writeAtomically(const std::filesystem::path& path, std::string_view bytes) override;
    std::optional<char> lastByte(const std::filesystem::path& path) const override;
    void append(const std::filesystem::path& path, std::string_view bytes) override;
    std::vector<DirectoryEntry> list(const std::filesystem::path& folder) const override;
    void removeAll(const std::filesystem::path& path) override;
    std::vector<DirectoryEntry> listWithoutFollowing(
        const std::filesystem::path& folder) const override;
    void removeRegularFile(const std::filesystem::path& path) override;
    void removeEmptyFolder(const std::filesystem::path& path) override;

    // One instance serves the process; it holds no state.
    static PosixFileSystem& shared();
};

}  // namespace veyrune
