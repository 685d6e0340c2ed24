#include "base/PosixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

#include "support/TempDirectory.h"

using namespace veyrune;

namespace fs = std::filesystem;

TEST(PosixFileSystem, ExistsAnswersFalseOnlyWhenNothingIsThere) {
    test::TempDirectory dir;
    test::writeFile(dir / "file", "x");
    fs::create_directory_symlink(dir / "loop", dir / "loop");
    fs::create_symlink(dir / "gone", dir / "dangling");
    PosixFileSystem files;

    EXPECT_TRUE(files.exists(dir / "file"));
    EXPECT_FALSE(files.exists(dir / "missing"));
    EXPECT_FALSE(files.exists(dir / "file" / "inside"));  // a file is no folder
    EXPECT_FALSE(files.exists(dir / "dangling"));
    // Any other failure is not "absent": a log behind it must not read as empty.
    EXPECT_THROW(files.exists(dir / "loop" / "security-events.jsonl"), FileError);
}

TEST(PosixFileSystem, NoFollowListingRefusesALinkedFolderAndDescribesLinksAsLinks) {
    test::TempDirectory dir;
    test::writeFile(dir / "real" / "photo.jpg", "abc");
    fs::create_directory(dir / "real" / "album");
    fs::create_symlink(dir / "real" / "photo.jpg", dir / "real" / "link.jpg");
    fs::create_directory_symlink(dir / "real" / "album", dir / "real" / "linked-album");
    fs::create_directory_symlink(dir / "real", dir / "linked");
    PosixFileSystem files;

    EXPECT_THROW(files.listWithoutFollowing(dir / "linked"), FileError);
    EXPECT_THROW(files.listWithoutFollowing(dir / "missing"), FileError);
    auto entries = files.listWithoutFollowing(dir / "real");
    std::map<std::string, DirectoryEntry> byName;
    for (const auto& entry : entries) {
        byName[entry.path.filename().string()] = entry;
    }
    ASSERT_EQ(byName.size(), 4u);
    EXPECT_TRUE(byName["photo.jpg"].isRegularFile);
    EXPECT_EQ(byName["photo.jpg"].size, 3u);
    EXPECT_EQ(byName["photo.jpg"].path, dir / "real" / "photo.jpg");
    EXPECT_TRUE(byName["album"].isDirectory);
    for (const char* link : {"link.jpg", "linked-album"}) {
        EXPECT_FALSE(byName[link].isRegularFile || byName[link].isDirectory) << link;
    }
}

TEST(PosixFileSystem, NarrowRemovalsNeverRemoveThroughLinksOrWhatAFolderHolds) {
    test::TempDirectory dir;
    test::writeFile(dir / "file", "x");
    test::writeFile(dir / "full" / "inside", "x");
    fs::create_directory(dir / "empty");
    fs::create_directory(dir / "target");
    fs::create_symlink(dir / "file", dir / "file-link");
    fs::create_directory_symlink(dir / "target", dir / "folder-link");
    PosixFileSystem files;
    struct Case {
        const char* name;
        void (PosixFileSystem::*remove)(const fs::path&);
        bool removed;
    };
    const Case cases[] = {
        {"file-link", &PosixFileSystem::removeRegularFile, false},
        {"empty", &PosixFileSystem::removeRegularFile, false},
        {"missing", &PosixFileSystem::removeRegularFile, false},
        {"file", &PosixFileSystem::removeRegularFile, true},
        {"full", &PosixFileSystem::removeEmptyFolder, false},
        {"folder-link", &PosixFileSystem::removeEmptyFolder, false},
        {"empty", &PosixFileSystem::removeEmptyFolder, true},
    };

    for (const auto& c : cases) {
        if (c.removed) {
            EXPECT_NO_THROW((files.*c.remove)(dir / c.name)) << c.name;
            EXPECT_FALSE(fs::exists(fs::symlink_status(dir / c.name))) << c.name;
        } else {
            EXPECT_THROW((files.*c.remove)(dir / c.name), FileError) << c.name;
        }
    }
    EXPECT_TRUE(fs::is_symlink(dir / "file-link"));
    EXPECT_TRUE(fs::exists(dir / "full" / "inside"));
    EXPECT_TRUE(fs::is_symlink(dir / "folder-link"));
    EXPECT_TRUE(fs::is_directory(dir / "target"));
}

TEST(PosixFileSystem, StatusChangesWithAnInPlaceEditThatPutsSizeAndModificationTimeBack) {
    test::TempDirectory dir;
    auto path = dir / "log";
    test::writeFile(path, "abc\n");
    PosixFileSystem files;
    auto before = *files.status(path);
    // Without fine-grained change times a write in the same clock tick would
    // share the timestamp; wait for a later one.
    auto tick = dir / "tick";
    do {
        test::writeFile(tick, "x");
    } while (files.status(tick)->changedNanoseconds <= before.changedNanoseconds);

    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.put('X');
    }
    const timespec times[2] = {
        {0, UTIME_OMIT},
        {before.modifiedNanoseconds / 1000000000, long(before.modifiedNanoseconds % 1000000000)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    auto after = *files.status(path);
    EXPECT_EQ(after.size, before.size);
    EXPECT_EQ(after.modifiedNanoseconds, before.modifiedNanoseconds);
    EXPECT_EQ(after.inode, before.inode);
    EXPECT_NE(after, before);  // the change time moved and cannot be put back
    EXPECT_EQ(files.openForReading(path)->status(), after);
}
