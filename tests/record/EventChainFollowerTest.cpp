#include "record/EventChainFollower.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "record/JSONLFileSecurityEventStore.h"
#include "support/ChainLogCases.h"
#include "support/ChainPrinting.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using R = ChainVerificationResult;

namespace {

// The verdict from scratch, on the text split the way the log is defined.
R fromScratch(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return EventChainVerifier::verify(lines);
}

void appendBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

// Rewrites the file in place: same inode, new contents.
void rewriteInPlace(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class EventChainFollowerTest : public ::testing::Test {
  protected:
    test::TempDirectory dir;
    test::FaultInjectingFileSystem files;
    std::filesystem::path path = dir / "security-events.jsonl";
    JSONLFileSecurityEventStore store{path, files};

    // The kept state and a fresh follower both agree with the scratch verdict.
    void expectSameVerdict(EventChainFollower& follower, const std::string& what) {
        std::string text = std::filesystem::exists(path) ? test::readFile(path) : "";
        auto expected = fromScratch(text);
        EXPECT_EQ(follower.check(store), expected) << what;
        EXPECT_EQ(EventChainFollower().check(store), expected) << what;
    }
};

}  // namespace

TEST_F(EventChainFollowerTest, GrowingLogGivesTheScratchVerdictAtEveryCut) {
    // Every damage case, written in two steps cut at each line end and in the
    // middle of each line, so the first check sees a partial last line.
    for (const auto& c : test::chainCases()) {
        std::string text = test::logText(c.lines);
        std::vector<std::size_t> cuts{0};
        for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) {
            cuts.push_back(at + 1);
            cuts.push_back(at + 1 - (at - cuts[cuts.size() - 2]) / 2);
        }
        for (auto cut : cuts) {
            std::filesystem::remove(path);
            EventChainFollower follower;
            test::writeFile(path, text.substr(0, cut));
            expectSameVerdict(follower, c.name + " before the cut at " + std::to_string(cut));
            appendBytes(path, text.substr(cut));
            EXPECT_EQ(follower.check(store), c.expected) << c.name << " cut at " << cut;
        }
    }
}

TEST_F(EventChainFollowerTest, ChangesOtherThanAppendingAreReadFromTheStart) {
    auto five = test::sealedLines({}, 5);
    auto text = test::logText(five);
    auto edited = five;
    edited[1].replace(edited[1].find("Screen locked"), 6, "SCREEN");
    auto other = test::logText(test::sealedLines({}, 7));

    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"last line truncated", [&] { std::filesystem::resize_file(path, text.size() - 20); }},
        {"shrunk to two lines",
         [&] {
             rewriteInPlace(path, test::logText({five[0], five[1]}));
         }},
        {"replaced by another log",  // as rotation or a restored copy would
         [&] {
             test::writeFile(dir / "other", other);
             std::filesystem::rename(dir / "other", path);
         }},
        {"rewritten in place and longer",
         [&] { rewriteInPlace(path, test::logText(edited) + five[4] + "\n"); }},
        {"emptied", [&] { rewriteInPlace(path, ""); }},
        {"removed", [&] { std::filesystem::remove(path); }},
        {"an invalid byte appended", [&] { appendBytes(path, "\xc3\x28\n"); }},
    };
    for (const auto& change : changes) {
        test::writeFile(path, text);
        EventChainFollower follower;
        ASSERT_EQ(follower.check(store), R::intact(5, 0, 1, 5));
        change.apply();
        expectSameVerdict(follower, change.name);
    }
}

TEST_F(EventChainFollowerTest, UnchangedLogIsNotReadAgain) {
    test::writeFile(path, test::logText(test::sealedLines({}, 3)) + "{\"partial");
    EventChainFollower follower;
    EXPECT_EQ(follower.check(store), R::broken(4));
    int reads = files.reads();
    EXPECT_EQ(follower.check(store), R::broken(4));  // the kept tail still counts
    EXPECT_EQ(files.reads(), reads);
}

TEST_F(EventChainFollowerTest, ReadFailureForgetsTheKeptState) {
    test::writeFile(path, test::logText(test::sealedLines({}, 3)));
    EventChainFollower follower;
    follower.check(store);
    appendBytes(path, test::chainedLine(4, EventChain::genesis) + "\n");
    files.failReads = true;
    EXPECT_THROW(follower.check(store), FileError);
    files.failReads = false;
    EXPECT_EQ(follower.check(store), R::broken(4));
}

TEST_F(EventChainFollowerTest, DamageInAnyLineButTheLastIsReportedThroughTheFile) {
    // One byte made invalid UTF-8 in each line in turn: once, this emptied the log.
    auto lines = test::sealedLines({}, 200);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        auto damaged = lines;
        damaged[i][damaged[i].size() / 2] ^= char(0x80);
        test::writeFile(path, test::logText(damaged));
        auto result = EventChainFollower().check(store);
        EXPECT_TRUE(std::holds_alternative<R::Broken>(result.value) ||
                    std::holds_alternative<R::Gap>(result.value))
            << "line " << i + 1;
    }
}
