#include "base/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace veyrune {

namespace fs = std::filesystem;

namespace {

std::string errnoText() {
    return std::strerror(errno);
}

// Makes a rename in the folder of `path` survive a power cut.
void syncFolderOf(const fs::path& path) {
    fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(folder, errnoText());
    }
    int result = ::fsync(fd);
    int error = errno;
    ::close(fd);
    if (result != 0) {
        throw FileError(folder, std::strerror(error));
    }
}

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(path, errnoText());
        }
        done += std::size_t(n);
    }
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

FileStatus toStatus(const struct stat& info) {
    return {std::uint64_t(info.st_size),
            std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            std::uint64_t(info.st_ino), std::uint64_t(info.st_dev),
            std::int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

class PosixReadableFile final : public ReadableFile {
  public:
    PosixReadableFile(int fd, fs::path path) : fd_(fd), path_(std::move(path)) {}

    FileStatus status() const override {
        struct stat info {};
        if (::fstat(fd_.get(), &info) != 0) {
            throw FileError(path_, errnoText());
        }
        return toStatus(info);
    }

    std::size_t readAt(std::uint64_t offset, std::span<char> buffer) const override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            ssize_t n = ::pread(fd_.get(), buffer.data() + done, buffer.size() - done,
                                off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw FileError(path_, errnoText());
            }
            if (n == 0) {
                break;
            }
            done += std::size_t(n);
        }
        return done;
    }

  private:
    FileDescriptor fd_;
    fs::path path_;
};

Instant toInstant(fs::file_time_type time) {
    return std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        std::chrono::file_clock::to_sys(time));
}

// The entry itself: a link is described as a link, not as what it points to.
DirectoryEntry entryFor(const fs::directory_entry& item) {
    std::error_code ec;
    DirectoryEntry entry;
    entry.path = item.path();
    auto status = item.symlink_status(ec);
    entry.isDirectory = !ec && fs::is_directory(status);
    entry.isRegularFile = !ec && fs::is_regular_file(status);
    if (entry.isRegularFile) {
        auto size = item.file_size(ec);
        entry.size = ec ? 0 : size;
    }
    auto time = item.last_write_time(ec);
    entry.modifiedAt = ec ? Instant{} : toInstant(time);
    return entry;
}

Instant toInstant(const struct timespec& time) {
    return Instant(std::chrono::duration_cast<Instant::duration>(
        std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec)));
}

// The entry named `name` in the open folder `folder`, as it is: a link is a
// link. One that vanished meanwhile, or cannot be read, is neither a folder
// nor a regular file.
DirectoryEntry entryAt(int folder, const fs::path& folderPath, const char* name) {
    DirectoryEntry entry;
    entry.path = folderPath / name;
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return entry;
    }
    entry.isDirectory = S_ISDIR(info.st_mode);
    entry.isRegularFile = S_ISREG(info.st_mode);
    entry.size = entry.isRegularFile ? std::uintmax_t(info.st_size) : 0;
    entry.modifiedAt = toInstant(info.st_mtim);
    return entry;
}

}  // namespace

FileError::FileError(const fs::path& path, std::string_view cause)
    : Error(path.string() + ": " + std::string(cause)) {}

PosixFileSystem& PosixFileSystem::shared() {
    static PosixFileSystem instance;
    return instance;
}

bool PosixFileSystem::exists(const fs::path& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return true;
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        return false;
    }
    throw FileError(path, errnoText());
}

std::string PosixFileSystem::readFile(const fs::path& path) const {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(path, errnoText());
    }
    std::string contents;
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && info.st_size > 0) {
        contents.reserve(std::size_t(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(path, errnoText());
        }
        if (n == 0) {
            return contents;
        }
        contents.append(buffer, std::size_t(n));
    }
}

std::optional<FileStatus> PosixFileSystem::status(const fs::path& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw FileError(path, errnoText());
    }
    return toStatus(info);
}

std::unique_ptr<ReadableFile> PosixFileSystem::openForReading(const fs::path& path) const {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(path, errnoText());
    }
    return std::make_unique<PosixReadableFile>(fd, path);
}

void PosixFileSystem::createDirectories(const fs::path& path) {
    if (path.empty()) {
        return;
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return;
    }
    createDirectories(path.parent_path());
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw FileError(path, errnoText());
    }
    if (!fs::is_directory(path, ec)) {
        throw FileError(path, "not a folder");
    }
}

void PosixFileSystem::writeAtomically(const fs::path& path, std::string_view bytes) {
    std::string pattern =
        (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) {
        throw FileError(path, errnoText());
    }
    try {
        ::fchmod(fd.get(), 0600);
        writeAll(fd.get(), bytes, path);
        if (::fsync(fd.get()) != 0) {
            throw FileError(path, errnoText());
        }
        if (::close(fd.release()) != 0) {
            throw FileError(path, errnoText());
        }
        if (::rename(pattern.c_str(), path.c_str()) != 0) {
            throw FileError(path, errnoText());
        }
        syncFolderOf(path);
    } catch (...) {
        ::unlink(pattern.c_str());
        throw;
    }
}

std::optional<char> PosixFileSystem::lastByte(const fs::path& path) const {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        throw FileError(path, errnoText());
    }
    if (info.st_size == 0) {
        return std::nullopt;
    }
    char byte = 0;
    if (::pread(fd.get(), &byte, 1, info.st_size - 1) != 1) {
        throw FileError(path, errnoText());
    }
    return byte;
}

void PosixFileSystem::append(const fs::path& path, std::string_view bytes) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(path, errnoText());
    }
    writeAll(fd.get(), bytes, path);
    if (::fsync(fd.get()) != 0) {
        throw FileError(path, errnoText());
    }
}

std::vector<DirectoryEntry> PosixFileSystem::list(const fs::path& folder) const {
    // The error-code forms throughout: no std::filesystem::filesystem_error
    // leaves the file layer.
    std::vector<DirectoryEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        entries.push_back(entryFor(*it));
    }
    if (ec) {
        throw FileError(folder, ec.message());
    }
    return entries;
}

void PosixFileSystem::removeAll(const fs::path& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec) {
        throw FileError(path, ec.message());
    }
}

std::vector<DirectoryEntry> PosixFileSystem::listWithoutFollowing(const fs::path& folder) const {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(folder, errnoText());
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd.get()), ::closedir);
    if (!dir) {
        throw FileError(folder, errnoText());
    }
    fd.release();  // the stream owns it now
    std::vector<DirectoryEntry> entries;
    for (;;) {
        errno = 0;
        const struct dirent* item = ::readdir(dir.get());
        if (!item) {
            break;
        }
        std::string_view name = item->d_name;
        if (name != "." && name != "..") {
            entries.push_back(entryAt(::dirfd(dir.get()), folder, item->d_name));
        }
    }
    if (errno != 0) {
        throw FileError(folder, errnoText());
    }
    return entries;
}

void PosixFileSystem::removeRegularFile(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        throw FileError(path, errnoText());
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileError(path, "not a regular file");
    }
    if (::unlink(path.c_str()) != 0) {
        throw FileError(path, errnoText());
    }
}

void PosixFileSystem::removeEmptyFolder(const fs::path& path) {
    // rmdir(2) itself refuses a link (ENOTDIR) and a folder with anything in it.
    if (::rmdir(path.c_str()) != 0) {
        throw FileError(path, errnoText());
    }
}

}  // namespace veyrune
