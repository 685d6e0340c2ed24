#include <gtest/gtest.h>

#include "seal/SealChainCheck.h"
#include "support/SealedHistory.h"

using namespace veyrune;

namespace {

// Four sealed epochs, then the seals file changed as the case says.
struct ChainCase {
    const char* name;
    std::function<std::vector<std::string>(std::vector<std::string>)> change;
    std::int64_t brokenAt;  // 0: still intact
};

std::string withPrev(const std::string& line, const std::string& prev) {
    auto at = line.find("\"prev\":\"") + 8;
    return line.substr(0, at) + prev + line.substr(at + 64);
}

class SealChainCheckTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(SealChainCheckTest, FindsTheFirstSealThatDoesNotFollowOn) {
    test::SealedHistory history;
    for (int i = 0; i < 4; ++i) {
        history.epoch(2);
    }
    auto lines = GetParam().change(test::fileLines(history.seals()));
    auto status = checkSealChain(lines);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->intact, GetParam().brokenAt == 0);
    EXPECT_EQ(status->brokenAt, GetParam().brokenAt);
}

INSTANTIATE_TEST_SUITE_P(
    Seals, SealChainCheckTest,
    ::testing::Values(ChainCase{"Untouched", [](auto lines) { return lines; }, 0},
                      ChainCase{"WriteCutShortInTheMiddleIsSkipped",
                                [](auto lines) {
                                    lines.insert(lines.begin() + 2, lines[2].substr(0, 40));
                                    return lines;
                                },
                                0},
                      ChainCase{"MiddleSealDeleted",
                                [](auto lines) {
                                    lines.erase(lines.begin() + 1);
                                    return lines;
                                },
                                2},
                      ChainCase{"FirstSealDeleted",
                                [](auto lines) {
                                    lines.erase(lines.begin());
                                    return lines;
                                },
                                1},
                      ChainCase{"SealsSwapped",
                                [](auto lines) {
                                    std::swap(lines[1], lines[2]);
                                    return lines;
                                },
                                2},
                      ChainCase{"PrevPointsElsewhere",
                                [](auto lines) {
                                    lines[3] = withPrev(lines[3], std::string(64, 'a'));
                                    return lines;
                                },
                                4}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SealChainCheck, AGapAfterAClosingSealIsIntactAndThroughIsTheLastSealsTime) {
    test::SealedHistory history;
    history.epoch(1);
    history.append(1);
    history.clock.advance(100);
    history.sealer.close();
    auto closedAt = history.clock.now();
    history.clock.advance(test::SealedHistory::epochSeconds * 5.0);
    history.sealer.tick();
    auto status = readSealChainStatus(PosixFileSystem::shared(), history.seals());
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->intact);
    EXPECT_EQ(test::fileLines(history.seals()).size(), 3u);
    EXPECT_EQ(status->through, closedAt);
}

TEST(SealChainCheck, NoSealsFileIsNotSealed) {
    test::TempDirectory dir;
    EXPECT_FALSE(readSealChainStatus(PosixFileSystem::shared(), dir / "security-events.seals"));
}

}  // namespace
