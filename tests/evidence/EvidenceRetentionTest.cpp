#include <gtest/gtest.h>
#include <sys/stat.h>

#include "EvidenceTestFiles.h"
#include "evidence/EvidenceLibrary.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ManualClock.h"
#include "support/ScopedTimeZone.h"

namespace veyrune::test {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t KiB = 1024;

class EvidenceRetentionTest : public ::testing::Test {
  protected:
    ScopedTimeZone zone{"Europe/Berlin"};
    TempDirectory temp;
    ManualClock clock{localInstant(2026, 12, 4, 21, 40)};
    FaultInjectingFileSystem fileSystem;
    EvidenceLibrary library{fileSystem, clock, temp / "Evidence"};
    fs::path root = library.rootURL();

    Instant day(int d, int hour = 12) { return localInstant(2026, 11, d, hour); }
};

TEST_F(EvidenceRetentionTest, AgeStepRemovesOnlyDayFoldersBeforeTheCutoff) {
    makeFile(root / "2026-11-27" / "a.png", 1, day(27));
    makeFile(root / "2026-11-28" / "b.png", 1, day(28));
    makeFile(root / "2025-01-01" / "c.jpg", 1, day(1));
    makeFile(root / "notes" / "d.png", 1, day(1));       // not a date
    makeFile(root / "2026-11-5" / "e.png", 1, day(1));   // not the full form
    makeFile(root / "2026-02-30" / "f.png", 1, day(1));  // no such day
    makeFile(root / "stray.png", 1, day(1));
    makeFile(root / "2026-11-01", 1, day(1));  // a file, not a folder

    library.enforceRetention(7, std::nullopt);

    EXPECT_FALSE(fs::exists(root / "2026-11-27"));
    EXPECT_FALSE(fs::exists(root / "2025-01-01"));
    for (const char* kept : {"2026-11-28/b.png", "notes/d.png", "2026-11-5/e.png",
                             "2026-02-30/f.png", "stray.png", "2026-11-01"}) {
        EXPECT_TRUE(fs::exists(root / kept)) << kept;
    }
}

TEST_F(EvidenceRetentionTest, AgeCutoffIsCalendarDaysAcrossDaylightSavingChange) {
    // Summer time starts on 29 March 2026. Seven calendar days before 5 April
    // 00:30 is 29 March 00:30, which is after that day's start; seven times 24
    // hours would land an hour earlier, before it.
    clock.set(localInstant(2026, 4, 5, 0, 30));
    makeFile(root / "2026-03-29" / "a.png", 1, day(1));
    makeFile(root / "2026-03-30" / "b.png", 1, day(1));

    library.enforceRetention(7, std::nullopt);

    EXPECT_FALSE(fs::exists(root / "2026-03-29"));
    EXPECT_TRUE(fs::exists(root / "2026-03-30"));
}

struct SizeCase {
    const char* name;
    std::optional<std::int64_t> maxMB;
    std::vector<std::size_t> sizesOldestFirst;  // in KiB
    std::vector<bool> kept;
};

class EvidenceSizeRetentionTest : public EvidenceRetentionTest,
                                  public ::testing::WithParamInterface<SizeCase> {};

TEST_P(EvidenceSizeRetentionTest, RemovesOldestFilesUntilTheTreeFits) {
    const auto& c = GetParam();
    // Recent dates, so the age step leaves everything; spread over a day
    // folder, a non-date folder and the root itself.
    std::vector<fs::path> paths;
    const fs::path places[] = {root / "notes", root, root / "2026-12-04"};
    for (std::size_t i = 0; i < c.sizesOldestFirst.size(); ++i) {
        paths.push_back(places[i % 3] / ("f" + std::to_string(i) + ".png"));
        makeFile(paths.back(), c.sizesOldestFirst[i] * KiB, localInstant(2026, 12, 4, 1 + int(i)));
    }

    library.enforceRetention(7, c.maxMB);

    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(fs::exists(paths[i]), c.kept[i]) << paths[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EvidenceSizeRetentionTest,
    ::testing::Values(SizeCase{"overLimit", 1, {512, 512, 512}, {false, true, true}},
                      SizeCase{"exactlyAtLimit", 1, {512, 256, 256}, {true, true, true}},
                      SizeCase{"twoOldestGo", 1, {100, 100, 1024}, {false, false, true}},
                      SizeCase{"newestAloneTooBig", 1, {10, 2048}, {false, false}},
                      SizeCase{"zeroMeansNoLimit", 0, {4096, 4096}, {true, true}},
                      SizeCase{"negativeMeansNoLimit", -5, {4096}, {true}},
                      SizeCase{"absentMeansNoLimit", std::nullopt, {4096, 4096}, {true, true}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(EvidenceRetentionTest, UnremovableFileStillCountsAsFreed) {
    auto stuck = root / "2026-12-04" / "stuck.png";
    auto middle = root / "2026-12-04" / "middle.png";
    auto newest = root / "2026-12-04" / "newest.png";
    makeFile(stuck, 600 * KiB, localInstant(2026, 12, 4, 1));
    makeFile(middle, 600 * KiB, localInstant(2026, 12, 4, 2));
    makeFile(newest, 300 * KiB, localInstant(2026, 12, 4, 3));
    fileSystem.failRemoving(stuck);

    library.enforceRetention(7, 1);

    EXPECT_TRUE(fs::exists(stuck) && fs::exists(middle) && fs::exists(newest));
    EXPECT_EQ(fileSystem.removals(), std::vector<fs::path>{stuck});
}

TEST_F(EvidenceRetentionTest, NeverFollowsLinksOrRemovesWhatIsNotARegularFile) {
    // Old, large files outside the evidence folder, reachable through links.
    auto outside = temp / "Documents";
    makeFile(outside / "thesis.png", 2048 * KiB, localInstant(2020, 1, 1));
    makeFile(outside / "2020-01-01" / "photo.jpg", 2048 * KiB, localInstant(2020, 1, 1));
    makeFile(root / "2026-12-04" / "old.png", 600 * KiB, localInstant(2026, 12, 4, 1));
    makeFile(root / "2026-12-04" / "new.png", 512 * KiB, localInstant(2026, 12, 4, 2));
    fs::create_directory_symlink(outside, root / "notes");
    fs::create_directory_symlink(outside / "2020-01-01", root / "2020-01-01");
    fs::create_symlink(outside / "thesis.png", root / "2026-12-04" / "linked.png");
    fs::create_directory_symlink(root, root / "2026-12-04" / "loop");
    ASSERT_EQ(::mkfifo((root / "2026-12-04" / "pipe.png").c_str(), 0600), 0);

    library.enforceRetention(7, 1);

    EXPECT_TRUE(fs::exists(outside / "thesis.png"));
    EXPECT_TRUE(fs::exists(outside / "2020-01-01" / "photo.jpg"));
    for (const char* kept : {"notes", "2020-01-01", "2026-12-04/linked.png", "2026-12-04/loop",
                             "2026-12-04/pipe.png", "2026-12-04/new.png"}) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(root / kept))) << kept;
    }
    // Only the real files count toward the limit: the older one goes.
    EXPECT_EQ(fileSystem.removals(), std::vector<fs::path>{root / "2026-12-04" / "old.png"});
}

TEST_F(EvidenceRetentionTest, UnlistableRootPrunesNothing) {
    makeFile(root / "2020-01-01" / "a.png", 4096 * KiB, day(1));
    fileSystem.failListing(root);

    library.enforceRetention(7, 1);

    EXPECT_TRUE(fs::exists(root / "2020-01-01" / "a.png"));
    EXPECT_TRUE(fileSystem.removals().empty());
}

}  // namespace
}  // namespace veyrune::test
