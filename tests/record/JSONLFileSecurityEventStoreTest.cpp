#include "record/JSONLFileSecurityEventStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "record/EventChain.h"
#include "record/EventChainVerifier.h"
#include "support/ChainPrinting.h"
#include "support/EventFactory.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using test::makeEvent;
using test::readFile;
using test::writeFile;
using R = ChainVerificationResult;

namespace {

class EventLogTest : public ::testing::Test {
  protected:
    test::TempDirectory dir;
    test::FaultInjectingFileSystem files;
    std::filesystem::path path = dir / "nested/Veyrune/security-events.jsonl";
    JSONLFileSecurityEventStore store{path, files};

    SecurityEvent at(int second, const std::string& summary = "Screen locked") {
        return makeEvent(SecurityEventKind::screenLocked,
                         *parseISO8601("2026-12-04T10:00:00Z") + std::chrono::seconds(second),
                         summary);
    }
    R verify() { return EventChainVerifier::verify(store.readLines()); }
};

const char* kLegacyLine =
    R"({"context":{},"evidenceIDs":[],"id":"6F1C2A4B-0000-4000-8000-000000000001",)"
    R"("kind":"didWake","occurredAt":786000000.5,"summary":"System woke from sleep"})";

}  // namespace

TEST_F(EventLogTest, FirstAppendCreatesPrivateFolderAndOneSealedLine) {
    auto event = at(0);
    store.append(event);
    EXPECT_FALSE(event.seq);  // the caller's event is left alone
    std::string contents = readFile(path);
    ASSERT_EQ(std::count(contents.begin(), contents.end(), '\n'), 1);
    EXPECT_EQ(contents.back(), '\n');
    auto sealedEvent = event;
    sealedEvent.seq = 1;
    sealedEvent.prev = EventChain::genesis;
    EXPECT_EQ(contents, EventChain::canonicalLine(sealedEvent) + "\n");
    struct stat info {};
    ASSERT_EQ(stat(path.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(EventLogTest, LinesLongerThanAReadBlockAreWholeForEveryPath) {
    // Lines across the block boundaries of reading forwards and backwards.
    store.append(at(0, std::string(300000, 'a')));
    store.append(at(1));
    store.append(at(2, std::string(200000, 'b')));
    writeFile(path, readFile(path) + "\n\n");  // trailing empty lines
    auto lines = store.readLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].size(), readFile(path).size() - lines[0].size() - lines[1].size() - 5);
    EXPECT_EQ(store.allEvents()[0].summary.size(), 300000u);
    store.append(at(3));
    EXPECT_EQ(store.allEvents().back().seq, 4);  // found the long last line behind the blanks
    EXPECT_EQ(verify(), R::intact(4, 0, 1, 4));
}

TEST_F(EventLogTest, UndecodableAndBlankLinesAreSkippedAndLegacyDatesRead) {
    store.append(at(0));
    std::string good = readFile(path);
    good.pop_back();  // no final newline
    writeFile(path, std::string(kLegacyLine) + "\n\n{not json\n   \n\n" + good);
    auto events = store.allEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(store.readLines().back(), good);
    EXPECT_EQ(events[0].kind, SecurityEventKind::didWake);
    EXPECT_EQ(events[0].occurredAt, instantFromReferenceSeconds(786000000.5));
    EXPECT_FALSE(events[0].seq);
    EXPECT_EQ(store.readLines().size(), 4u);  // the blank line is kept for the verifier
}

TEST_F(EventLogTest, InvalidUTF8IsOneUndecodableLineNotAnEmptyLog) {
    for (int i = 0; i < 3; ++i) {
        store.append(at(i, "event " + std::to_string(i)));
    }
    auto lines = store.readLines();
    lines[1][lines[1].find("event 1")] = '\xff';
    writeFile(path, lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n");

    EXPECT_EQ(store.readLines(), lines);  // the damaged line is kept as stored
    auto events = store.allEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].summary, "event 2");
    EXPECT_EQ(verify(), R::broken(2));

    // A valid last line carries the chain on past the damage.
    store.append(at(3));
    EXPECT_EQ(store.allEvents().back().seq, 4);

    // A damaged last line cannot be followed: the chain restarts.
    writeFile(path, readFile(path) + "{\"seq\":9,\"summary\":\"\xc3\x28\"}\n");
    store.append(at(4));
    EXPECT_EQ(store.allEvents().back().seq, 1);
}

TEST_F(EventLogTest, PartialLastLineFromAShortWriteRestartsTheChain) {
    store.append(at(0));
    store.append(at(1));
    files.failAppendAfterBytes = 30;
    EXPECT_THROW(store.append(at(2)), FileError);
    files.failAppendAfterBytes.reset();
    EXPECT_EQ(store.allEvents().size(), 2u);
    auto next = at(3, "after the short write");
    store.append(next);
    auto events = store.allEvents();
    ASSERT_EQ(events.size(), 3u);  // the new event is not glued onto the partial line
    EXPECT_EQ(events.back().summary, "after the short write");
    EXPECT_EQ(events.back().seq, 1);
    EXPECT_EQ(verify(), R::broken(3));
}

TEST_F(EventLogTest, FailuresLeaveTheLogAsItWas) {
    store.append(at(0));
    std::string before = readFile(path);
    files.failCreateDirectories = true;
    EXPECT_THROW(store.append(at(1)), FileError);
    files.failCreateDirectories = false;
    auto bad = at(2, "bad \xff");
    EXPECT_THROW(store.append(bad), EventChainError);
    EXPECT_EQ(readFile(path), before);
    files.failReads = true;
    EXPECT_THROW(store.allEvents(), FileError);
    // Requests that need no data never touch the file.
    EXPECT_TRUE(store.recentEvents(0).empty());
    EXPECT_TRUE(store.events({}).empty());
    // An unreadable log still takes the event, on a new chain.
    store.append(at(3));
    files.failReads = false;
    EXPECT_EQ(store.allEvents().back().seq, 1);
}

TEST_F(EventLogTest, MissingFileReadsAsEmptyAndAFailedFirstWriteLeavesNone) {
    EXPECT_TRUE(store.readLines().empty());
    EXPECT_TRUE(store.recentEvents(5).empty());
    files.failAtomicWrites = true;
    EXPECT_THROW(store.append(at(0)), FileError);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(path.parent_path()));
}

TEST_F(EventLogTest, RecentEventsAreNewestFirstAndLookupsKeepFileOrderAndDuplicates) {
    auto a = at(5, "a"), b = at(5, "b"), c = at(9, "c"), d = at(1, "d");
    for (const auto& e : {a, b, c, d, b}) {
        store.append(e);
    }
    std::string summaries;
    for (const auto& e : store.recentEvents(4)) {
        summaries += e.summary;
    }
    EXPECT_EQ(summaries, "cabb");  // equal times stay in file order
    EXPECT_EQ(store.recentEvents(50).size(), 5u);
    summaries.clear();
    for (const auto& e : store.events({d.id, b.id, Uuid::random()})) {
        summaries += e.summary;
    }
    EXPECT_EQ(summaries, "bdb");
}
