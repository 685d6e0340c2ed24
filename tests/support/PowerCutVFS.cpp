#include "support/PowerCutVFS.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "support/TempDirectory.h"

namespace veyrune::test {

namespace {

// An open file: this header, then the default VFS's own file object.
struct File {
    sqlite3_file base;  // first, as SQLite expects
    PowerCutVFS* owner;
    const char* path;  // null when not tracked (temporary files)
    int outage;        // the value of outages_ when it was opened
};

constexpr int kRealOffset = int((sizeof(File) + 15) & ~std::size_t(15));

sqlite3_file* real(sqlite3_file* file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealOffset);
}

File& shim(sqlite3_file* file) {
    return *reinterpret_cast<File*>(file);
}

const sqlite3_io_methods& methodsOf(sqlite3_file* file) {
    return *real(file)->pMethods;
}

// What a file of the default VFS holds now.
std::string contents(sqlite3_file* file) {
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK || size <= 0) {
        return {};
    }
    std::string bytes(std::size_t(size), '\0');
    file->pMethods->xRead(file, bytes.data(), int(size), 0);
    return bytes;
}

}  // namespace

struct PowerCutVFSCallbacks {
    static PowerCutVFS& of(sqlite3_vfs* vfs) { return *static_cast<PowerCutVFS*>(vfs->pAppData); }
    static sqlite3_vfs* base(sqlite3_vfs* vfs) { return of(vfs).base_; }

    static bool dead(sqlite3_file* file) {
        auto& owner = *shim(file).owner;
        std::lock_guard lock(owner.mutex_);
        return shim(file).outage != owner.outages_;
    }

    static int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags,
                    int* outFlags) {
        auto& self = of(vfs);
        auto& opened = shim(file);
        opened.base.pMethods = nullptr;
        opened.owner = &self;
        opened.path = (name && !(flags & SQLITE_OPEN_DELETEONCLOSE)) ? name : nullptr;
        bool firstSeen = false;
        {
            std::lock_guard lock(self.mutex_);
            opened.outage = self.outages_;
            firstSeen = opened.path && !self.durable_.contains(opened.path);
        }
        // Not xAccess, which takes an empty file for a missing one.
        std::error_code error;
        bool existed = firstSeen && std::filesystem::exists(name, error);
        int result = self.base_->xOpen(self.base_, name, real(file), flags, outFlags);
        // SQLite closes a file whose methods are set, even when opening failed.
        opened.base.pMethods = real(file)->pMethods ? &methods : nullptr;
        if (result == SQLITE_OK && firstSeen) {
            std::optional<std::string> before;
            if (existed) {
                before = contents(real(file));
            }
            std::lock_guard lock(self.mutex_);
            self.durable_.emplace(opened.path, std::move(before));
        }
        return result;
    }

    static int remove(sqlite3_vfs* vfs, const char* name, int syncFolder) {
        auto& self = of(vfs);
        int result = self.base_->xDelete(self.base_, name, syncFolder);
        if (result == SQLITE_OK && syncFolder) {
            std::lock_guard lock(self.mutex_);
            if (auto known = self.durable_.find(name); known != self.durable_.end()) {
                known->second.reset();
            }
        }
        return result;
    }

    static int close(sqlite3_file* file) { return methodsOf(file).xClose(real(file)); }
    static int read(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
        return methodsOf(file).xRead(real(file), data, amount, offset);
    }
    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        return dead(file) ? SQLITE_IOERR_WRITE
                          : methodsOf(file).xWrite(real(file), data, amount, offset);
    }
    static int truncate(sqlite3_file* file, sqlite3_int64 size) {
        return dead(file) ? SQLITE_IOERR_TRUNCATE : methodsOf(file).xTruncate(real(file), size);
    }
    static int sync(sqlite3_file* file, int flags) {
        if (dead(file)) {
            return SQLITE_IOERR_FSYNC;
        }
        int result = methodsOf(file).xSync(real(file), flags);
        if (result == SQLITE_OK && shim(file).path) {
            auto now = contents(real(file));
            auto& owner = *shim(file).owner;
            std::lock_guard lock(owner.mutex_);
            owner.durable_[shim(file).path] = std::move(now);
        }
        return result;
    }
    static int fileSize(sqlite3_file* file, sqlite3_int64* size) {
        return methodsOf(file).xFileSize(real(file), size);
    }
    static int lock(sqlite3_file* file, int level) {
        return methodsOf(file).xLock(real(file), level);
    }
    static int unlock(sqlite3_file* file, int level) {
        return methodsOf(file).xUnlock(real(file), level);
    }
    static int checkReservedLock(sqlite3_file* file, int* result) {
        return methodsOf(file).xCheckReservedLock(real(file), result);
    }
    static int fileControl(sqlite3_file* file, int operation, void* argument) {
        return methodsOf(file).xFileControl(real(file), operation, argument);
    }
    static int sectorSize(sqlite3_file* file) { return methodsOf(file).xSectorSize(real(file)); }
    static int deviceCharacteristics(sqlite3_file* file) {
        return methodsOf(file).xDeviceCharacteristics(real(file));
    }
    // The wal-index lives in shared memory, which a power cut wipes anyway;
    // SQLite rebuilds it from the log when it next opens the database.
    static int shmMap(sqlite3_file* file, int page, int pageSize, int extend,
                      void volatile** memory) {
        return methodsOf(file).xShmMap(real(file), page, pageSize, extend, memory);
    }
    static int shmLock(sqlite3_file* file, int offset, int count, int flags) {
        return methodsOf(file).xShmLock(real(file), offset, count, flags);
    }
    static void shmBarrier(sqlite3_file* file) { methodsOf(file).xShmBarrier(real(file)); }
    static int shmUnmap(sqlite3_file* file, int deleteFlag) {
        return methodsOf(file).xShmUnmap(real(file), deleteFlag);
    }
    static int fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pointer) {
        return methodsOf(file).xFetch(real(file), offset, amount, pointer);
    }
    static int unfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer) {
        return methodsOf(file).xUnfetch(real(file), offset, pointer);
    }

    static constexpr sqlite3_io_methods methods = {3,
                                                   &close,
                                                   &read,
                                                   &write,
                                                   &truncate,
                                                   &sync,
                                                   &fileSize,
                                                   &lock,
                                                   &unlock,
                                                   &checkReservedLock,
                                                   &fileControl,
                                                   &sectorSize,
                                                   &deviceCharacteristics,
                                                   &shmMap,
                                                   &shmLock,
                                                   &shmBarrier,
                                                   &shmUnmap,
                                                   &fetch,
                                                   &unfetch};

    static void forwardTheRest(sqlite3_vfs& vfs) {
        vfs.xAccess = [](sqlite3_vfs* v, const char* name, int flags, int* result) {
            return base(v)->xAccess(base(v), name, flags, result);
        };
        vfs.xFullPathname = [](sqlite3_vfs* v, const char* name, int size, char* out) {
            return base(v)->xFullPathname(base(v), name, size, out);
        };
        vfs.xDlOpen = [](sqlite3_vfs* v, const char* name) {
            return base(v)->xDlOpen(base(v), name);
        };
        vfs.xDlError = [](sqlite3_vfs* v, int size, char* message) {
            base(v)->xDlError(base(v), size, message);
        };
        vfs.xDlSym = [](sqlite3_vfs* v, void* library, const char* symbol) {
            return base(v)->xDlSym(base(v), library, symbol);
        };
        vfs.xDlClose = [](sqlite3_vfs* v, void* library) { base(v)->xDlClose(base(v), library); };
        vfs.xRandomness = [](sqlite3_vfs* v, int size, char* out) {
            return base(v)->xRandomness(base(v), size, out);
        };
        vfs.xSleep = [](sqlite3_vfs* v, int micros) { return base(v)->xSleep(base(v), micros); };
        vfs.xCurrentTime = [](sqlite3_vfs* v, double* now) {
            return base(v)->xCurrentTime(base(v), now);
        };
        vfs.xGetLastError = [](sqlite3_vfs* v, int size, char* out) {
            return base(v)->xGetLastError(base(v), size, out);
        };
        vfs.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* now) {
            return base(v)->xCurrentTimeInt64(base(v), now);
        };
        // No system-call overrides: version 2 ends before them.
        vfs.iVersion = 2;
    }
};

PowerCutVFS::PowerCutVFS() : base_(sqlite3_vfs_find(nullptr)) {
    static std::atomic<int> instances{0};
    name_ = "veyrune-power-cut-" + std::to_string(++instances);
    if (!base_ || base_->iVersion < 2) {
        throw std::runtime_error("no default SQLite VFS to wrap");
    }
    vfs_.szOsFile = kRealOffset + base_->szOsFile;
    vfs_.mxPathname = base_->mxPathname;
    vfs_.zName = name_.c_str();
    vfs_.pAppData = this;
    vfs_.xOpen = &PowerCutVFSCallbacks::open;
    vfs_.xDelete = &PowerCutVFSCallbacks::remove;
    PowerCutVFSCallbacks::forwardTheRest(vfs_);
    if (sqlite3_vfs_register(&vfs_, 0) != SQLITE_OK) {
        throw std::runtime_error("cannot register " + name_);
    }
}

PowerCutVFS::~PowerCutVFS() {
    sqlite3_vfs_unregister(&vfs_);
}

void PowerCutVFS::cutPower() {
    std::lock_guard lock(mutex_);
    ++outages_;
    for (const auto& [path, content] : durable_) {
        if (content) {
            writeFile(path, *content);
        } else {
            ::unlink(path.c_str());
        }
    }
}

}  // namespace veyrune::test
