#include "base/PosixFileSystem.h"

#include <gtest/gtest.h>

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
