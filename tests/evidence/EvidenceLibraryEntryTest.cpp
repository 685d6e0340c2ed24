#include "evidence/EvidenceLibraryEntry.h"

#include <gtest/gtest.h>

#include "evidence/FileURL.h"

namespace veyrune::test {
namespace {

using Status = EvidenceLibraryEntryStatus;

Uuid uuid(const char* text) {
    return *Uuid::parse(text);
}

EvidenceFile file(const std::string& path, double at) {
    return {path, EvidenceFileKind::screenshot, instantFromReferenceSeconds(at), 100};
}

// An item whose id ends in `tag`.
EvidenceItem item(char tag, const Uuid& eventID, const std::string& path, double at) {
    return {uuid(("00000000-0000-0000-0000-00000000000" + std::string(1, tag)).c_str()),
            eventID,
            EvidenceKind::screenshot,
            fileURLString(path),
            instantFromReferenceSeconds(at),
            100};
}

SecurityEvent event(const Uuid& id) {
    SecurityEvent e;
    e.id = id;
    e.summary = "Wake";
    return e;
}

TEST(EvidenceLibraryEntryTest, JoinsFilesItemsAndEventsWithEachStatus) {
    Uuid eventA = uuid("AAAAAAAA-0000-0000-0000-000000000001");
    Uuid missingEvent = uuid("AAAAAAAA-0000-0000-0000-000000000002");
    std::vector<EvidenceFile> files = {file("/e/2026-12-04/linked.png", 50),
                                       file("/e/2026-12-04/no event.png", 40),
                                       file("/e/2026-12-04/loose.png", 30)};
    std::vector<EvidenceItem> items = {
        // Unnormalised URL still finds its file.
        item('A', eventA, "/e/./2026-12-04/linked.png", 10),
        item('B', eventA, "/e/2026-12-04/deleted.png", 20),
        item('C', missingEvent, "/e/2026-12-04/no event.png", 30),
        // Names a file the first item already claimed.
        item('D', eventA, "/e/2026-12-04/linked.png", 5),
    };

    auto entries = joinEvidenceEntries(files, items, {event(eventA)});

    ASSERT_EQ(entries.size(), 5u);
    // Newest first; the loose file (30) and item C (30) tie and go by id.
    EXPECT_EQ(entries[0].id(), "/e/2026-12-04/loose.png");
    EXPECT_EQ(entries[0].status, Status::unlinked);
    EXPECT_FALSE(entries[0].item);
    EXPECT_EQ(entries[1].id(), "00000000-0000-0000-0000-00000000000C");
    EXPECT_EQ(entries[1].status, Status::eventUnavailable);
    EXPECT_EQ(entries[1].file, files[1]);
    EXPECT_EQ(entries[2].status, Status::fileUnavailable);
    EXPECT_EQ(entries[2].url(), std::filesystem::path("/e/2026-12-04/deleted.png"));
    EXPECT_EQ(entries[3].status, Status::linked);
    EXPECT_EQ(entries[3].event->summary, "Wake");
    EXPECT_EQ(entries[3].file, files[0]);
    EXPECT_EQ(entries[3].date(), instantFromReferenceSeconds(10));
    EXPECT_EQ(entries[4].id(), "00000000-0000-0000-0000-00000000000D");
    EXPECT_EQ(entries[4].status, Status::fileUnavailable);
}

TEST(EvidenceLibraryEntryTest, LaterDuplicatesReplaceEarlierOnes) {
    Uuid eventID = uuid("AAAAAAAA-0000-0000-0000-000000000001");
    SecurityEvent first = event(eventID);
    SecurityEvent second = event(eventID);
    second.summary = "Unlock";
    auto older = file("/e/a.png", 1);
    auto newer = file("/e/a.png", 2);

    auto entries =
        joinEvidenceEntries({older, newer}, {item('A', eventID, "/e/a.png", 9)}, {first, second});

    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].file, newer);
    EXPECT_EQ(entries[0].event->summary, "Unlock");
}

}  // namespace
}  // namespace veyrune::test
