#pragma once

#include <sqlite3.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace veyrune::test {

struct PowerCutVFSCallbacks;

// A SQLite VFS over the default one that models a disk losing power. Writes
// reach the files at once, but only what a file held at its last sync survives
// cutPower(); a file never synced goes back to what it held when this VFS first
// opened it, or to not existing. A deletion sticks only when SQLite asked for
// the folder to be synced; otherwise the name may come back after the cut, as
// on a file system that had not yet written the folder.
//
// Registered (not as the default) under name() while it lives. Thread-safe.
class PowerCutVFS {
  public:
    PowerCutVFS();
    ~PowerCutVFS();
    PowerCutVFS(const PowerCutVFS&) = delete;
    PowerCutVFS& operator=(const PowerCutVFS&) = delete;

    const std::string& name() const { return name_; }

    // The power goes: every file this VFS opened is put back to its content at
    // its last sync, and connections still open on them can no longer write,
    // truncate or sync. Close those connections before opening the files
    // again; files opened after the cut work normally.
    void cutPower();

  private:
    friend struct PowerCutVFSCallbacks;

    std::string name_;
    sqlite3_vfs* base_;
    sqlite3_vfs vfs_{};
    mutable std::mutex mutex_;
    // Path -> what survives a cut (nothing: the file would not exist).
    std::map<std::string, std::optional<std::string>> durable_;  // guarded by mutex_
    // Counts the cuts; a file opened before the last one is dead.
    int outages_ = 0;  // guarded by mutex_
};

}  // namespace veyrune::test
