#include "evidence/EvidenceLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "EvidenceTestFiles.h"
#include "evidence/EvidenceFileName.h"
#include "evidence/FileURL.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ManualClock.h"
#include "support/ScopedTimeZone.h"

namespace veyrune::test {
namespace {

class EvidenceLibraryTest : public ::testing::Test {
  protected:
    ScopedTimeZone zone{"Europe/Berlin"};
    TempDirectory temp;
    ManualClock clock{localInstant(2026, 12, 4, 21, 40)};
    FaultInjectingFileSystem fileSystem;
    EvidenceLibrary library{fileSystem, clock, temp / "Evidence"};
    Instant early = localInstant(2026, 12, 1, 9, 0);
    Instant late = localInstant(2026, 12, 3, 9, 0);
};

TEST_F(EvidenceLibraryTest, ListsEvidenceByExtensionNewestFirstAndEqualDatesByPath) {
    auto root = library.rootURL();
    makeFile(root / "2026-12-01" / "old.jpg", 10, early);
    makeFile(root / "2026-12-03" / "b.png", 20, late);
    makeFile(root / "2026-12-03" / "A.JPEG", 30, late);
    makeFile(root / "2026-12-03" / "c.heic", 40, late);
    makeFile(root / "2026-12-03" / "notes.txt", 50, late);
    makeFile(root / "2026-12-03" / ".hidden.png", 60, late);
    makeFile(root / ".cache" / "inside.png", 70, late);
    makeFile(root / "2026-12-03" / "noextension", 80, late);

    auto files = library.files();

    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0], (EvidenceFile{root / "2026-12-03" / "A.JPEG", EvidenceFileKind::cameraPhoto,
                                      late, 30}));
    EXPECT_EQ(files[1].url, root / "2026-12-03" / "b.png");
    EXPECT_EQ(files[1].kind, EvidenceFileKind::screenshot);
    EXPECT_EQ(files[2].url, root / "2026-12-03" / "c.heic");
    EXPECT_EQ(files[3].url, root / "2026-12-01" / "old.jpg");
    EXPECT_EQ(files[3].createdAt, early);
}

TEST_F(EvidenceLibraryTest, MissingRootListsNothingButUnreadableOrUncreatableDayFolderFails) {
    EXPECT_TRUE(library.files().empty());

    makeFile(library.rootURL() / "2026-12-03" / "a.png", 1, late);
    fileSystem.failListing(library.rootURL() / "2026-12-03");
    EXPECT_THROW(library.files(), FileError);

    fileSystem.failListing(library.rootURL());
    EXPECT_TRUE(library.files().empty());

    fileSystem.failCreating(library.rootURL() / "2026-12-04");
    EXPECT_THROW(library.dayFolder(), FileError);
}

TEST_F(EvidenceLibraryTest, ListsOnlyRegularFilesAndNeverDescendsIntoLinks) {
    auto root = library.rootURL();
    auto outside = temp / "Pictures";
    makeFile(outside / "private.jpg", 10, late);
    makeFile(root / "2026-12-03" / "a.png", 20, late);
    std::filesystem::create_directory_symlink(outside, root / "2026-12-02");
    std::filesystem::create_symlink(outside / "private.jpg", root / "2026-12-03" / "link.jpg");
    // Two links back to the root: a walk that followed them would list a.png
    // hundreds of times.
    std::filesystem::create_directory_symlink(root, root / "2026-12-03" / "up");
    std::filesystem::create_directory_symlink(root, root / "2026-12-03" / "again");
    ASSERT_EQ(::mkfifo((root / "2026-12-03" / "pipe.png").c_str(), 0600), 0);

    auto files = library.files();

    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].url, root / "2026-12-03" / "a.png");
}

TEST(EvidenceFileNameTest, RetentionRecognisesOnlyNamesTheCapturersWrite) {
    for (const char* name :
         {"evidence-2026-12-04T22-30-00Z.png", "evidence-2026-12-04T22-30-00Z.jpg",
          "evidence-2024-02-29T00-00-00Z.png"}) {
        EXPECT_TRUE(isEvidenceFileName(name)) << name;
    }
    for (const char* name :
         {"IMG_0001.jpg", "evidence-2026-12-04T22-30-00Z.jpeg", "evidence-2026-12-04T22-30-00Z.PNG",
          "evidence-2026-12-04T22-30-00Z.png.bak", "evidence-2026-12-04T22-30-00Z.png ",
          "evidence-2026-12-04T22:30:00Z.png", "evidence-2026-12-04T22-30-00.png",
          "evidence-2026-12-04T22-30-00.5Z.png", "evidence-2026-12-04T22-30-00+01-00.png",
          "evidence-2026-02-30T10-00-00Z.png", "evidence-2026-12-04T24-00-00Z.png",
          "evidence-2026-12-04X22-30-00Z.png", "Evidence-2026-12-04T22-30-00Z.png", "evidence-.png",
          "evidence-2026-12-04T22-30-00Z", ""}) {
        EXPECT_FALSE(isEvidenceFileName(name)) << name;
    }
}

TEST(FileURLTest, RoundTripsPathsWithSpacesAndNonASCII) {
    std::filesystem::path path = "/home/a b/Évidence/x%y.png";
    auto url = fileURLString(path);
    EXPECT_EQ(url, "file:///home/a%20b/%C3%89vidence/x%25y.png");
    EXPECT_EQ(pathFromFileURL(url), path);
    EXPECT_EQ(pathFromFileURL("file://localhost/tmp/a.png"), std::filesystem::path("/tmp/a.png"));
    EXPECT_EQ(pathFromFileURL("https://host/a.png"), std::nullopt);
    EXPECT_EQ(pathFromFileURL("file://elsewhere/a.png"), std::nullopt);
    EXPECT_EQ(pathFromFileURL("file:///a%2"), std::nullopt);
}

}  // namespace
}  // namespace veyrune::test
