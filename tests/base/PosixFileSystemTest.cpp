#include "base/PosixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

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
