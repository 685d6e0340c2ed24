#include <gtest/gtest.h>

#include "VerifyToolRun.h"
#include "record/EventChain.h"
#include "support/EventFactory.h"
#include "support/SealedHistory.h"
#include "support/TempDirectory.h"

using namespace veyrune;

namespace {

using test::verifyTool;

std::string sealedLog(int count) {
    std::vector<std::string> lines;
    std::string text;
    for (int i = 0; i < count; ++i) {
        auto header = EventChain::nextHeader(lines);
        auto event = test::makeEvent();
        event.seq = header.seq;
        event.prev = header.prev;
        lines.push_back(EventChain::canonicalLine(event));
        text += lines.back() + "\n";
    }
    return text;
}

}  // namespace

TEST(VerifyTool, PrintsTheVerdictAndExitsByIt) {
    test::TempDirectory dir;
    auto log = dir / "security-events.jsonl";
    test::writeFile(log, sealedLog(3));
    EXPECT_EQ(verifyTool(log.string()).status, 0);
    EXPECT_EQ(verifyTool(log.string()).out, "Chain intact \u2014 3 entries verified (1\u20133)\n");

    std::string text = sealedLog(3);
    text.erase(text.find('\n') + 1, text.find('\n', text.find('\n') + 1) - text.find('\n'));
    test::writeFile(log, text);
    EXPECT_EQ(verifyTool(log.string()).status, 1);
    EXPECT_EQ(verifyTool(log.string()).out,
              "Entries missing between 1 and 3 \u2014 The log skips from entry 1 to entry 3.\n");

    EXPECT_EQ(verifyTool((dir / "missing.jsonl").string()).out, "No events yet\n");
    EXPECT_EQ(verifyTool((dir / "missing.jsonl").string()).status, 0);
}

TEST(VerifyTool, DamagedContentNeverPassesAsEmpty) {
    test::TempDirectory dir;
    auto log = dir / "security-events.jsonl";
    std::string chain = sealedLog(3);
    std::string legacy =
        R"({"context":{},"evidenceIDs":[],"id":"6F1C2A4B-0000-4000-8000-000000000001",)"
        R"("kind":"didWake","occurredAt":786000000.5,"summary":"System woke from sleep"})"
        "\n";
    std::string notUTF8 = chain;
    notUTF8[notUTF8.find("Screen", notUTF8.find('\n'))] = '\xff';
    struct Case {
        const char* name;
        std::string contents;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {"empty file", "", 0, "No events yet\n"},
        {"only blank lines", "\n \n\t\n", 1,
         "Log damaged \u2014 5 bytes but no entry, only blank lines\n"},
        {"zeroed bytes", std::string(64, '\0') + "\n", 1,
         "Log damaged \u2014 1 line before the chain cannot be read as events; Chain not "
         "started \u2014 1 entry predates tamper-evident logging.\n"},
        {"legacy events only", legacy, 0,
         "Chain not started \u2014 1 entry predates tamper-evident logging.\n"},
        {"garbage before the chain", "{oops\n" + legacy + chain, 1,
         "Log damaged \u2014 1 line before the chain cannot be read as events; Chain intact "
         "\u2014 3 entries verified (1\u20133) \u00b7 2 earlier entries predate the chain\n"},
        {"invalid UTF-8 in the middle", notUTF8, 1,
         "Chain broken at entry 2 \u2014 Entry 2 does not follow from the one before it.\n"},
    };
    for (const auto& c : cases) {
        test::writeFile(log, c.contents);
        auto run = verifyTool(log.string());
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
    }
}

TEST(VerifyTool, UnreadableFileOrBadArgumentsExitWithTwo) {
    test::TempDirectory dir;
    EXPECT_EQ(verifyTool(dir.path().string()).status, 2);  // a folder
    EXPECT_EQ(verifyTool("--bogus").status, 2);
    EXPECT_EQ(verifyTool("a b").status, 2);
    EXPECT_EQ(verifyTool("--help").status, 0);
}

TEST(VerifyTool, DefaultsToTheLiveLogUnderXDGDataHome) {
    test::TempDirectory dir, emptyHome;
    test::writeFile(dir / "Veyrune/security-events.jsonl", sealedLog(1));
    setenv("XDG_DATA_HOME", emptyHome.path().c_str(), 1);
    EXPECT_EQ(verifyTool("").out, "No events yet\n");
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(verifyTool("").out, "Chain intact \u2014 1 entry verified (1\u20131)\n");
    unsetenv("XDG_DATA_HOME");
}

TEST(VerifyTool, WithTheKeyAddsTheSealLineAndFailsOnASealedEdit) {
    test::SealedHistory history;
    history.epoch(3);
    history.epoch(2);
    history.append(1);
    std::string args = "--key '" + history.key.text() + "' " + history.log().string();
    auto through = iso8601String(SealEpochs{900}.start(history.key.firstEpoch + 2));
    auto run = verifyTool(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Chain intact \u2014 6 entries verified (1\u20136)\nSealed through " +
                  through.substr(0, 10) + " " + through.substr(11, 5) +
                  " UTC \u2014 5 entries; 1 entry since the last seal is not sealed yet\n");

    auto lines = test::fileLines(history.log());
    lines[1].replace(lines[1].find("Screen locked"), 6, "SCREEN");
    test::writeLines(history.log(), test::rechained(lines, 1));
    run = verifyTool(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Chain intact"), std::string::npos);
    EXPECT_NE(run.out.find("Seals failed \u2014 changed after sealing: the first bad entry is "
                           "entry 2"),
              std::string::npos)
        << run.out;
    // Without the key the rewritten log still reads as intact, as before.
    EXPECT_EQ(verifyTool(history.log().string()).status, 0);
}

TEST(VerifyTool, MistypedKeyIsAnArgumentErrorNotAVerdict) {
    test::SealedHistory history;
    history.epoch(1);
    auto key = history.key.text();
    key[0] = key[0] == 'Z' ? 'Y' : 'Z';
    auto run = verifyTool("--key " + key + " " + history.log().string());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
}
