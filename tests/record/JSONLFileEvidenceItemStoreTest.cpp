#include "record/JSONLFileEvidenceItemStore.h"

#include <gtest/gtest.h>

#include "support/FaultInjectingFileSystem.h"
#include "support/TempDirectory.h"

using namespace veyrune;

namespace {

EvidenceItem item(const char* id, double createdAt) {
    return {*Uuid::parse(id),
            Uuid::random(),
            EvidenceKind::cameraPhoto,
            "file:///tmp/Evidence/2026-12-04/evidence-x.jpg",
            instantFromReferenceSeconds(createdAt),
            1234};
}

}  // namespace

TEST(EvidenceLog, ItemsComeBackNewestFirstWithIDTieBreakAndBadLinesSkipped) {
    test::TempDirectory dir;
    test::FaultInjectingFileSystem files;
    auto path = dir / "Veyrune/evidence-items.jsonl";
    JSONLFileEvidenceItemStore store(path, files);
    EXPECT_TRUE(store.allItems().empty());

    auto older = item("00000000-0000-4000-8000-00000000000A", 100.25);
    auto tieB = item("B0000000-0000-4000-8000-000000000000", 200.5);
    auto tieA = item("a0000000-0000-4000-8000-000000000000", 200.5);
    for (const auto& i : {older, tieB, tieA}) {
        store.append(i);
    }
    auto items = store.allItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], tieA);
    EXPECT_EQ(items[1], tieB);
    EXPECT_EQ(items[2], older);

    std::string text = test::readFile(path);
    EXPECT_NE(text.find(R"("createdAt":100.25)"), std::string::npos) << text;
    EXPECT_NE(text.find(R"(file:\/\/\/tmp\/)"), std::string::npos) << text;
    test::writeFile(path,
                    "garbage\n" + text + R"({"id":"00000000-0000-4000-8000-000000000002"})" + "\n");
    EXPECT_EQ(store.allItems(), items);
}
