#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "record/EventChain.h"
#include "support/EventFactory.h"
#include "support/TempDirectory.h"

using namespace veyrune;

namespace {

struct Run {
    int status;
    std::string out;
};

// Runs the built veyrune-verify with `args`; stdout is captured, stderr dropped.
Run verifyTool(const std::string& args) {
    const char* dir = std::getenv("VEYRUNE_BINARY_DIR");
    std::string command =
        std::string(dir ? dir : ".") + "/tools/veyrune-verify " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 256> buffer{};
    while (pipe && fgets(buffer.data(), buffer.size(), pipe)) {
        out += buffer.data();
    }
    int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

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
