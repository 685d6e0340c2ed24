#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iterator>
#include <sstream>
#include <thread>

#include "EvidenceTestFiles.h"
#include "evidence/EvidenceFileName.h"
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

    // A file as a capturer names it, taken at `takenAt`, in the day folder `day`.
    fs::path captured(const std::string& day, Instant takenAt, std::size_t bytes = 1,
                      const char* extension = "png") {
        auto path = root / day / evidenceFileName(takenAt, extension);
        makeFile(path, bytes, takenAt);
        return path;
    }
};

TEST_F(EvidenceRetentionTest, AgeStepEmptiesOnlyDayFoldersBeforeTheCutoff) {
    auto gone27 = captured("2026-11-27", localInstant(2026, 11, 27, 12));
    auto gone2025 = captured("2025-01-01", localInstant(2025, 1, 1, 12), 1, "jpg");
    std::vector<fs::path> kept = {
        captured("2026-11-28", localInstant(2026, 11, 28, 12)),
        captured("notes", localInstant(2026, 11, 1)),       // not a date
        captured("2026-11-5", localInstant(2026, 11, 5)),   // not the full form
        captured("2026-02-30", localInstant(2026, 2, 28)),  // no such day
        captured(".", localInstant(2026, 11, 1)),           // directly in the root
    };
    makeFile(root / "2026-11-01", 1, localInstant(2026, 11, 1));  // a file, not a folder

    library.enforceRetention(7, std::nullopt);

    EXPECT_FALSE(fs::exists(root / "2026-11-27"));
    EXPECT_FALSE(fs::exists(root / "2025-01-01"));
    kept.push_back(root / "2026-11-01");
    for (const auto& path : kept) {
        EXPECT_TRUE(fs::exists(path)) << path;
    }
}

// Times are local to the run; folders are space-separated lists.
struct CutoffCase {
    const char* name;
    const char* zone;
    const char* now;
    std::int64_t keepDays;
    const char* kept;
    const char* gone;
};

class EvidenceCutoffTest : public EvidenceRetentionTest,
                           public ::testing::WithParamInterface<CutoffCase> {};

TEST_P(EvidenceCutoffTest, KeepsDayFoldersFromTheCutoffOnAndNeverToday) {
    const auto& c = GetParam();
    ScopedTimeZone runZone(c.zone);
    int year, month, day, hour, minute;
    ASSERT_EQ(std::sscanf(c.now, "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute), 5);
    clock.set(localInstant(year, month, day, hour, minute));
    auto folders = [](const char* list) {
        std::istringstream words(list);
        return std::vector<std::string>(std::istream_iterator<std::string>(words), {});
    };
    for (const auto& folder : folders((std::string(c.kept) + " " + c.gone).c_str())) {
        makeFile(root / folder / "evidence-2020-01-01T00-00-00Z.png", 1, localInstant(2020, 1, 1));
    }

    library.enforceRetention(c.keepDays, std::nullopt);

    for (const auto& folder : folders(c.kept)) {
        EXPECT_TRUE(fs::exists(root / folder)) << folder;
    }
    for (const auto& folder : folders(c.gone)) {
        EXPECT_FALSE(fs::exists(root / folder)) << folder;
    }
}

// At exactly midnight the cutoff is the start of 28 November itself. Summer
// time starts on 29 March at 02:00: seven calendar days before 5 April 00:30
// is 29 March 00:30, after that day's start; seven times 24 hours would land an
// hour earlier, before it. A capture may be writing into today's folder.
INSTANTIATE_TEST_SUITE_P(
    Cases, EvidenceCutoffTest,
    ::testing::Values(CutoffCase{"exactlyMidnight", "Europe/Berlin", "2026-12-05 00:00", 7,
                                 "2026-11-28 2026-12-05", "2026-11-27"},
                      CutoffCase{"exactlyMidnightFixedOffset", "EET-2", "2026-12-05 00:00", 1,
                                 "2026-12-04 2026-12-05", "2026-12-03"},
                      CutoffCase{"calendarDaysAcrossSummerTime", "Europe/Berlin",
                                 "2026-04-05 00:30", 7, "2026-03-30", "2026-03-29"},
                      CutoffCase{"zeroDaysLeavesToday", "Europe/Berlin", "2026-12-04 21:40", 0,
                                 "2026-12-04", "2026-12-03"},
                      CutoffCase{"negativeDaysLeavesTodayAndLater", "Europe/Berlin",
                                 "2026-12-04 21:40", -3, "2026-12-04 2026-12-06", "2026-12-03"}),
    [](const auto& param) { return std::string(param.param.name); });

// What a folder holds besides Veyrune's own files, and whether retention
// (seven days, no size limit) must leave it.
enum class Make {
    evidence,
    foreignFile,
    foreignFolder,
    linkToOutsideFile,
    linkToOutsideFolder,
    fifo
};

struct TreeEntry {
    const char* path;  // relative to the folder the root stands for
    Make make;
    bool kept;
};

const TreeEntry kUserTree[] = {
    {"holiday.jpg", Make::foreignFile, true},
    {"evidence-2020-01-01T10-00-00Z.png", Make::evidence, true},  // not in a day folder
    {"2020-01-01/IMG_0001.jpg", Make::foreignFile, true},
    {"2020-01-01/evidence-2020-01-01T10-00-00Z.jpg", Make::evidence, false},
    {"2020-01-01/evidence-2020-01-01T10-00-00Z.jpeg", Make::foreignFile, true},
    {"2020-01-01", Make::foreignFolder, true},  // something of the user's is left
    {"2020-01-02/evidence-2020-01-02T10-00-00Z.png", Make::evidence, false},
    {"2020-01-02", Make::foreignFolder, false},  // only Veyrune's file was in it
    {"2020-01-03/album/evidence-2020-01-03T10-00-00Z.png", Make::evidence, true},
    {"2020-01-04", Make::linkToOutsideFolder, true},
    {"2020-01-05/evidence-2020-01-05T10-00-00Z.png", Make::linkToOutsideFile, true},
    {"2020-01-06/evidence-2020-01-06T10-00-00Z.png", Make::fifo, true},
    {"Holiday 2020/evidence-2020-01-07T10-00-00Z.png", Make::evidence, true},
};

class EvidenceForeignFilesTest : public EvidenceRetentionTest,
                                 public ::testing::WithParamInterface<bool> {
  protected:
    fs::path outside = temp / "Elsewhere";

    void make(const fs::path& path, Make what) {
        auto old = localInstant(2020, 1, 1);
        fs::create_directories(path.parent_path());
        switch (what) {
            case Make::evidence:
            case Make::foreignFile:
                makeFile(path, 2048 * KiB, old);
                break;
            case Make::foreignFolder:
                fs::create_directories(path);
                break;
            case Make::linkToOutsideFile:
                makeFile(outside / path.filename(), 2048 * KiB, old);
                fs::create_symlink(outside / path.filename(), path);
                break;
            case Make::linkToOutsideFolder:
                makeFile(outside / "evidence-2020-01-04T10-00-00Z.png", 2048 * KiB, old);
                fs::create_directory_symlink(outside, path);
                break;
            case Make::fifo:
                ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
                break;
        }
    }
    // The tree in either the evidence folder itself, or in the user's picture
    // folder that the evidence folder links to; returns the folder.
    fs::path makeUserTree() {
        auto folder = GetParam() ? temp / "Pictures" : root;
        for (const auto& entry : kUserTree) {
            make(folder / entry.path, entry.make);
        }
        if (GetParam()) {
            fs::create_directory_symlink(folder, root);
        }
        return folder;
    }
};

TEST_P(EvidenceForeignFilesTest, RemovesOnlyCapturedFilesAndFoldersLeftEmpty) {
    auto folder = makeUserTree();

    library.enforceRetention(7, std::nullopt);

    for (const auto& entry : kUserTree) {
        EXPECT_EQ(fs::exists(fs::symlink_status(folder / entry.path)), entry.kept) << entry.path;
    }
    EXPECT_TRUE(fs::exists(outside / "evidence-2020-01-04T10-00-00Z.png"));
    EXPECT_TRUE(fs::exists(outside / "evidence-2020-01-05T10-00-00Z.png"));
    EXPECT_EQ(fs::is_symlink(root), GetParam());
}

TEST_P(EvidenceForeignFilesTest, SizeLimitCountsAndRemovesOnlyCapturedFiles) {
    auto folder = makeUserTree();
    auto older = captured("2026-12-03", localInstant(2026, 12, 3, 9), 600 * KiB);
    auto newer = captured("2026-12-04", localInstant(2026, 12, 4, 9), 512 * KiB);
    std::vector<fs::path> survivors = {newer};
    for (const auto& entry : kUserTree) {
        if (entry.kept) {
            survivors.push_back(folder / entry.path);
        }
    }

    // Veyrune's two files are over 1 MB together; the user's many megabytes
    // neither count nor go.
    library.enforceRetention(7, 1);

    EXPECT_FALSE(fs::exists(older));
    for (const auto& path : survivors) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(path))) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Roots, EvidenceForeignFilesTest, ::testing::Bool(), [](const auto& param) {
    return std::string(param.param ? "linkedRoot" : "plainRoot");
});

struct SizeCase {
    const char* name;
    std::optional<std::int64_t> maxMB;
    std::vector<std::size_t> sizesOldestFirst;  // in KiB
    std::vector<bool> kept;
};

class EvidenceSizeRetentionTest : public EvidenceRetentionTest,
                                  public ::testing::WithParamInterface<SizeCase> {};

TEST_P(EvidenceSizeRetentionTest, RemovesOldestCapturedFilesUntilTheyFit) {
    const auto& c = GetParam();
    // Recent dates, so the age step leaves everything; spread over two days,
    // with the user's own older file beside them.
    makeFile(root / "2026-12-03" / "scan.png", 4096 * KiB, localInstant(2026, 12, 3));
    std::vector<fs::path> paths;
    for (std::size_t i = 0; i < c.sizesOldestFirst.size(); ++i) {
        paths.push_back(captured(i % 2 ? "2026-12-04" : "2026-12-03",
                                 localInstant(2026, 12, 4, 1 + int(i)),
                                 c.sizesOldestFirst[i] * KiB));
    }

    library.enforceRetention(7, c.maxMB);

    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(fs::exists(paths[i]), c.kept[i]) << paths[i];
    }
    EXPECT_TRUE(fs::exists(root / "2026-12-03" / "scan.png"));
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
    auto stuck = captured("2026-12-04", localInstant(2026, 12, 4, 1), 600 * KiB);
    auto middle = captured("2026-12-04", localInstant(2026, 12, 4, 2), 600 * KiB);
    auto newest = captured("2026-12-04", localInstant(2026, 12, 4, 3), 300 * KiB);
    fileSystem.failRemoving(stuck);

    library.enforceRetention(7, 1);

    EXPECT_TRUE(fs::exists(stuck) && fs::exists(middle) && fs::exists(newest));
    EXPECT_EQ(fileSystem.removals(), std::vector<fs::path>{stuck});
}

TEST_F(EvidenceRetentionTest, UnlistableRootPrunesNothing) {
    auto old = captured("2020-01-01", localInstant(2020, 1, 1), 4096 * KiB);
    fileSystem.failListing(root);

    library.enforceRetention(7, 1);

    EXPECT_TRUE(fs::exists(old));
    EXPECT_TRUE(fileSystem.removals().empty());
}

TEST_F(EvidenceRetentionTest, CaptureMakingItsFolderAcrossMidnightKeepsFolderAndFile) {
    // A capture makes the folder of 4 December a moment before midnight;
    // retention starts just after it, with one day kept, while the capture has
    // not written yet. Removing the then-empty folder would fail the write.
    clock.set(localInstant(2026, 12, 4, 23, 59, 59));
    std::optional<fs::path> written;
    bool retentionRan = false;
    fileSystem.afterCreatingFolders = [&](const fs::path& folder) {
        if (folder != root / "2026-12-04" || retentionRan) {
            return;
        }
        retentionRan = true;
        clock.set(localInstant(2026, 12, 5, 0, 0, 1));
        std::thread([&] { library.enforceRetention(1, std::nullopt); }).join();
    };

    try {
        written = library.writeEvidence(localInstant(2026, 12, 4, 23, 59, 59), "png", "image");
    } catch (const FileError&) {
    }

    ASSERT_TRUE(retentionRan);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(readFile(*written), "image");

    // Once the capture is done, a later run empties and removes the folder.
    library.enforceRetention(1, std::nullopt);
    EXPECT_FALSE(fs::exists(root / "2026-12-04"));
}

}  // namespace
}  // namespace veyrune::test
