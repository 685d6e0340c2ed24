#include <gtest/gtest.h>

#include "VerifyToolRun.h"
#include "record/EventChain.h"
#include "seal/Seal.h"
#include "support/EventFactory.h"
#include "support/SealedHistory.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using test::verifyTool;

namespace {

using Lines = std::vector<std::string>;

// Appends `count` events one minute apart (the n-th line of the log at minute
// n) to the chain the log ends with, as the store does.
void record(Lines& log, int count) {
    for (int i = 0; i < count; ++i) {
        auto header = EventChain::nextHeader(log);
        auto event = test::makeEvent(
            SecurityEventKind::screenLocked,
            referenceDate() + std::chrono::hours(24 * 9100) + std::chrono::minutes(log.size()));
        event.seq = header.seq;
        event.prev = header.prev;
        log.push_back(EventChain::canonicalLine(event));
    }
}

Lines recorded(int count) {
    Lines log;
    record(log, count);
    return log;
}

Lines slice(const Lines& lines, std::size_t from, std::size_t to) {
    return Lines(lines.begin() + from, lines.begin() + to);
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A seal line over the log's entry `seq`, as the sealer forwards it.
std::string sealLine(std::int64_t epoch, std::int64_t seq) {
    Seal seal;
    seal.epoch = epoch;
    seal.seq = seq;
    seal.lineHash = seal.prev = EventChain::genesis;
    return seal.line(SealKey::Bytes{});
}

// What a collector writes for `events`: a seal after the 3rd and the 7th line,
// and lines 5 and 6 sent again, as after a crash before their acknowledgement.
Lines forwarded(const Lines& events) {
    Lines copy;
    for (std::size_t i = 0; i < events.size(); ++i) {
        copy.push_back(events[i]);
        if (i == 2 || i == 6) {
            copy.push_back(
                sealLine(static_cast<std::int64_t>(i), static_cast<std::int64_t>(i + 1)));
        }
        if (i == 5) {
            copy.push_back(events[4]);
            copy.push_back(events[5]);
        }
    }
    return copy;
}

std::string edited(std::string line) {
    line.replace(line.find("Screen locked"), 13, "Screen LOCKED");
    return line;
}

const std::string kCopyLine =
    "Collector's copy \u2014 2 seal lines set apart, 2 repeated lines dropped\n";

}  // namespace

TEST(CentralVerifyTool, CollectorsCopyWithSealsAndRepeatsVerifiesAsTheLog) {
    test::SealedHistory history;
    history.epoch(3);
    history.epoch(2);
    history.append(2);
    auto events = test::fileLines(history.log());
    auto seals = test::fileLines(history.seals());
    // Each seal after the entry it names, seals and events interleaved.
    Lines copy;
    std::size_t nextSeal = 0;
    for (std::size_t seq = 0; seq <= events.size(); ++seq) {
        if (seq > 0) {
            copy.push_back(events[seq - 1]);
        }
        for (; nextSeal < seals.size() && Seal::parse(seals[nextSeal])->seq <= std::int64_t(seq);
             ++nextSeal) {
            copy.push_back(seals[nextSeal]);
        }
    }
    auto resent = copy + Lines{events[4], events[5], seals.back()};
    auto rewritten = test::rechained(events, 0);
    rewritten[1] = edited(rewritten[1]);
    rewritten = test::rechained(rewritten, 1);
    auto central = history.dir / "central.log";
    auto key = "--key '" + history.key.text() + "' ";
    struct Case {
        const char* name;
        Lines lines;
        std::string args;
        int status;
        std::string firstLines;  // the chain's verdict and the collector's line
        std::string sealVerdict;
    };
    const Case cases[] = {
        {"seals interleaved", copy, key, 0,
         "Chain intact \u2014 7 entries verified (1\u20137)\nCollector's copy \u2014 " +
             std::to_string(seals.size()) + " seal lines set apart, 0 repeated lines dropped\n",
         "Sealed through"},
        {"a batch and a seal sent twice", resent, key, 0,
         "Chain intact \u2014 7 entries verified (1\u20137)\nCollector's copy \u2014 " +
             std::to_string(seals.size()) + " seal lines set apart, 3 repeated lines dropped\n",
         "Sealed through"},
        {"no key: the seals are only set apart", resent, "", 0,
         "Chain intact \u2014 7 entries verified (1\u20137)\nCollector's copy \u2014 " +
             std::to_string(seals.size()) + " seal lines set apart, 3 repeated lines dropped\n",
         ""},
        {"an entry rewritten at the collector, the chain recomputed", rewritten + seals, key, 1,
         "Chain intact \u2014 7 entries verified (1\u20137)\nCollector's copy \u2014 " +
             std::to_string(seals.size()) + " seal lines set apart, 0 repeated lines dropped\n",
         "Seals failed"},
        {"a repeat that is not exact", copy + Lines{edited(events[4])}, "", 1,
         "Entries missing between 7 and 5 \u2014 The log skips from entry 7 to entry 5.\n"
         "Collector's copy \u2014 " +
             std::to_string(seals.size()) + " seal lines set apart, 0 repeated lines dropped\n",
         ""},
    };
    for (const auto& c : cases) {
        test::writeLines(central, c.lines);
        auto run = verifyTool("--central " + c.args + central.string());
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.out.substr(0, c.firstLines.size()), c.firstLines) << c.name << "\n"
                                                                        << run.out;
        EXPECT_EQ(run.out.substr(c.firstLines.size(), c.sealVerdict.size()), c.sealVerdict)
            << c.name << "\n"
            << run.out;
    }
}

TEST(CentralVerifyTool, RestartedChainReadsAsInTheLocalLog) {
    test::TempDirectory dir;
    // A write cut short, then the chain restarted at seq 1 behind it.
    Lines local = recorded(4);
    local.push_back(R"({"context":{},"evidenceIDs":[],"id":"6F1C)");
    record(local, 3);
    test::writeLines(dir / "local.jsonl", local);
    test::writeLines(dir / "central.log", forwarded(local));
    auto localRun = verifyTool((dir / "local.jsonl").string());
    auto centralRun = verifyTool("--central " + (dir / "central.log").string());
    EXPECT_EQ(localRun.status, 1);
    EXPECT_EQ(centralRun.status, localRun.status);
    EXPECT_EQ(centralRun.out, localRun.out + kCopyLine);
}

// Only a collector resends lines: in a local log a repeated line is a fault.
TEST(CentralVerifyTool, RepeatsAreForgivenOnlyInACollectorsCopy) {
    test::TempDirectory dir;
    Lines lines = recorded(4);
    lines.insert(lines.begin() + 2, lines[1]);
    test::writeLines(dir / "log", lines);
    EXPECT_EQ(verifyTool((dir / "log").string()).status, 1);
    EXPECT_EQ(verifyTool("--central " + (dir / "log").string()).status, 0);
}

TEST(CentralVerifyTool, AgainstReportsWhatTheLocalLogLostOrChanged) {
    test::TempDirectory dir;
    auto full = recorded(10);
    auto continued = slice(full, 0, 7);
    record(continued, 2);  // the tail was cut, then Veyrune recorded on
    auto editedInPlace = full;
    editedInPlace[3] = edited(full[3]);
    auto editedAndRechained = test::rechained(editedInPlace, 4);
    auto withoutFifth = test::rechained(slice(full, 0, 4) + slice(full, 5, 10), 4);
    const std::string lostVerdict = "Local log lost or changed entries the collector holds \u2014 ";
    struct Case {
        const char* name;
        Lines central;
        std::optional<Lines> local;  // nothing: no local log
        int status;
        std::string out;
    };
    const Case cases[] = {
        {"the same entries", forwarded(full), full, 0,
         "Nothing lost locally \u2014 the local log holds all 10 entries the collector has\n" +
             kCopyLine},
        {"the tail cut", forwarded(full), slice(full, 0, 7), 1,
         lostVerdict +
             "3 lost, 0 changed, of 10 at the collector\n"
             "Lost locally: entries 8\u201310, 2025-12-01 00:07:00 \u2013 2025-12-01 "
             "00:09:00 UTC\n" +
             kCopyLine},
        // A shrunk log is forwarded again from its first line.
        {"the tail cut, then more recorded and forwarded", forwarded(full) + slice(continued, 0, 8),
         continued, 1,
         lostVerdict +
             "3 lost, 0 changed, of 11 at the collector; 1 local entry is not at the "
             "collector yet\n"
             "Lost locally: entries 8\u201310, 2025-12-01 00:07:00 \u2013 2025-12-01 "
             "00:09:00 UTC\n"
             "Not at the collector yet: entry 9\n"
             "Collector's copy \u2014 2 seal lines set apart, 9 repeated lines dropped\n"},
        {"a middle entry removed and the rest rechained", forwarded(full), withoutFifth, 1,
         lostVerdict +
             "1 lost, 5 changed, of 10 at the collector\n"
             "Lost locally: entry 5, 2025-12-01 00:04:00 UTC\n"
             "Renumbered or relinked locally: entries 6\u201310, now entries 5\u20139, "
             "2025-12-01 00:05:00 \u2013 2025-12-01 00:09:00 UTC\n" +
             kCopyLine},
        {"an entry edited in place", forwarded(full), editedInPlace, 1,
         lostVerdict +
             "0 lost, 1 changed, of 10 at the collector\n"
             "Changed locally: entry 4, 2025-12-01 00:03:00 UTC\n" +
             kCopyLine},
        {"an entry edited and the rest rechained", forwarded(full), editedAndRechained, 1,
         lostVerdict +
             "0 lost, 7 changed, of 10 at the collector\n"
             "Changed locally: entry 4, 2025-12-01 00:03:00 UTC\n"
             "Renumbered or relinked locally: entries 5\u201310, 2025-12-01 00:04:00 "
             "\u2013 2025-12-01 00:09:00 UTC\n" +
             kCopyLine},
        {"the collector behind", slice(full, 0, 8), full, 0,
         "Nothing lost locally \u2014 the local log holds all 8 entries the collector has; 2 "
         "local entries are not at the collector yet\n"
         "Not at the collector yet: entries 9\u201310\n"},
        {"an empty collector's copy",
         {},
         full,
         0,
         "The collector holds no entries yet; 10 local entries are not at the collector yet\n"
         "Not at the collector yet: entries 1\u201310\n"},
        {"no local log", forwarded(full), std::nullopt, 1,
         lostVerdict +
             "10 lost, 0 changed, of 10 at the collector\n"
             "Lost locally: entries 1\u201310, 2025-12-01 00:00:00 \u2013 2025-12-01 "
             "00:09:00 UTC\n" +
             kCopyLine},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir / "local.jsonl");
        test::writeLines(dir / "central.log", c.central);
        if (c.local) {
            test::writeLines(dir / "local.jsonl", *c.local);
        }
        auto run = verifyTool("--against " + (dir / "central.log").string() + " " +
                              (dir / "local.jsonl").string());
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
    }
}

TEST(CentralVerifyTool, AgainstTellsRestartedChainsApartNotBySeq) {
    test::TempDirectory dir;
    // Two chains, each with entries 1-5: a bare seq would find the second
    // chain's lost entries in the first.
    Lines twoChains = recorded(5);
    twoChains.push_back(R"({"context":{},"evidenceIDs":[],"id":"6F1C)");
    record(twoChains, 5);
    auto firstChainEdited = twoChains;
    firstChainEdited[2] = edited(twoChains[2]);
    struct Case {
        const char* name;
        Lines local;
        std::string out;
    };
    const Case cases[] = {
        {"the second chain's tail cut", slice(twoChains, 0, 9),
         "Local log lost or changed entries the collector holds \u2014 2 lost, 0 changed, of 11 "
         "at the collector\n"
         "Lost locally: entries 4\u20135 of chain 2, 2025-12-01 00:09:00 \u2013 2025-12-01 "
         "00:10:00 UTC\n"},
        {"an entry of the first chain edited", firstChainEdited,
         "Local log lost or changed entries the collector holds \u2014 0 lost, 1 changed, of 11 "
         "at the collector\n"
         "Changed locally: entry 3 of chain 1, 2025-12-01 00:02:00 UTC\n"},
    };
    for (const auto& c : cases) {
        test::writeLines(dir / "central.log", twoChains);
        test::writeLines(dir / "local.jsonl", c.local);
        auto run = verifyTool("--against " + (dir / "central.log").string() + " " +
                              (dir / "local.jsonl").string());
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
    }
}

TEST(CentralVerifyTool, AgainstRefusesBadArgumentsAndAMissingCopy) {
    test::TempDirectory dir;
    test::writeLines(dir / "local.jsonl", recorded(2));
    auto local = (dir / "local.jsonl").string();
    struct Case {
        const char* name;
        std::string args;
    };
    const Case cases[] = {
        {"no collector's copy named", "--against"},
        {"three files", "--against " + local + " " + local + " " + local},
        {"a key with --against", "--against --key ABCD " + local + " " + local},
        {"--central with --against", "--against --central " + local + " " + local},
        {"the collector's copy missing",
         "--against " + (dir / "nothing.log").string() + " " + local},
    };
    for (const auto& c : cases) {
        auto run = verifyTool(c.args);
        EXPECT_EQ(run.status, 2) << c.name;
        EXPECT_EQ(run.out, "") << c.name;
    }
}

TEST(CentralVerifyTool, AgainstBoundsTheRangesItPrints) {
    test::TempDirectory dir;
    auto full = recorded(50);
    Lines everyOther;
    for (std::size_t i = 1; i < full.size(); i += 2) {
        everyOther.push_back(full[i]);
    }
    test::writeLines(dir / "central.log", full);
    test::writeLines(dir / "local.jsonl", everyOther);
    auto run = verifyTool("--against " + (dir / "central.log").string() + " " +
                          (dir / "local.jsonl").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 22) << run.out;
    EXPECT_NE(run.out.find("25 lost, 0 changed, of 50"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nLost locally: entry 39, "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n\u2026 and 5 more ranges\n"), std::string::npos) << run.out;
}

// A shrunk log is forwarded again from its first line: the repeats are
// dropped, and the collector's own copy then shows the cut.
TEST(CentralVerifyTool, CollectorsCopyShowsALocalCutThatWasForwardedAgain) {
    test::TempDirectory dir;
    auto full = recorded(10);
    auto continued = slice(full, 0, 7);
    record(continued, 2);
    test::writeLines(dir / "central.log", forwarded(full) + continued);
    auto run = verifyTool("--central " + (dir / "central.log").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "Entries missing between 10 and 8 \u2014 The log skips from entry 10 to entry 8.\n"
              "Collector's copy \u2014 2 seal lines set apart, 9 repeated lines dropped\n");
}

TEST(CentralVerifyTool, AgainstDefaultsToTheLiveLog) {
    test::TempDirectory dir;
    auto full = recorded(3);
    test::writeLines(dir / "Veyrune/security-events.jsonl", slice(full, 0, 2));
    test::writeLines(dir / "central.log", full);
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    auto run = verifyTool("--against " + (dir / "central.log").string());
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\nLost locally: entry 3, "), std::string::npos) << run.out;
}
