#include "record/EventChainVerifier.h"

#include <gtest/gtest.h>

#include <limits>

#include "record/EventChain.h"
#include "support/ChainLogCases.h"
#include "support/ChainPrinting.h"

using namespace veyrune;
using R = ChainVerificationResult;

using test::chainedLine;
using test::legacyLine;

namespace {

std::vector<std::string> chain(int count) {
    return test::sealedLines({}, count);
}

}  // namespace

TEST(EventChain, LinkHashIsLowercaseSHA256OfTheExactBytes) {
    EXPECT_EQ(EventChain::linkHash("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(EventChain, NextHeaderStartsAtGenesisAndRestartsAfterALineThatCannotCarryASuccessor) {
    EXPECT_EQ(EventChain::nextHeader({}), (EventChain::Header{1, std::string(64, '0')}));
    const std::string max = std::to_string(std::numeric_limits<std::int64_t>::max());
    for (const std::string& last :
         {legacyLine(1), std::string("{\"seq\":"), std::string("[3]"),
          std::string(R"({"seq":"7"})"), std::string(R"({"seq":1.5})"), R"({"seq":)" + max + "}",
          std::string(R"({"seq":18446744073709551615})")}) {
        EXPECT_EQ(EventChain::nextHeader({last}).seq, 1) << last;
        EXPECT_EQ(EventChain::nextHeader({last}).prev, EventChain::genesis) << last;
    }
    auto lines = chain(3);
    EXPECT_EQ(EventChain::nextHeader(lines),
              (EventChain::Header{4, EventChain::linkHash(lines.back())}));
}

TEST(EventChainVerifier, ClassifiesEveryKindOfDamage) {
    for (const auto& c : test::chainCases()) {
        EXPECT_EQ(EventChainVerifier::verify(c.lines), c.expected) << c.name;
    }
}

TEST(EventChainVerifier, SeqOtherThanTheNextIsAGapEvenWithAMatchingPrev) {
    // The seq test comes first: a correct link does not excuse a wrong number.
    const struct {
        const char* name;
        std::int64_t seq;
        bool linked;
        R expected;
    } cases[] = {
        {"skipped ahead, bad link", 7, false, R::gap(3, 7)},
        {"skipped ahead, good link", 7, true, R::gap(3, 7)},
        {"repeated", 3, true, R::gap(3, 3)},
        {"backward", 2, true, R::gap(3, 2)},
        {"back to the first", 1, true, R::gap(3, 1)},
        {"negative", -4, true, R::gap(3, -4)},
        {"the next one", 4, true, R::intact(4, 0, 1, 4)},
    };
    for (const auto& c : cases) {
        auto lines = chain(3);
        lines.push_back(
            chainedLine(c.seq, c.linked ? EventChain::linkHash(lines.back()) : "bogus"));
        EXPECT_EQ(EventChainVerifier::verify(lines), c.expected) << c.name;
    }
}

TEST(EventChainVerifier, LargestSeqEndsInAnOrderlyBreak) {
    const auto max = std::numeric_limits<std::int64_t>::max();
    std::vector<std::string> lines = {chainedLine(max, EventChain::genesis)};
    EXPECT_EQ(EventChainVerifier::verify(lines), R::intact(1, 0, max, max));
    auto next = EventChain::nextHeader(lines);
    EXPECT_EQ(next.seq, 1);
    lines.push_back(chainedLine(next.seq, next.prev));
    EXPECT_EQ(EventChainVerifier::verify(lines), R::broken(1));
    lines.back() = legacyLine(1);
    EXPECT_EQ(EventChainVerifier::verify(lines), R::broken(max));
}

TEST(EventChainVerifier, EveryBitFlipBeforeTheLastLineIsReported) {
    // The verifier only ever looks forward, so the state before line i is
    // shared by every flip in line i; each flip then runs to a verdict.
    const auto lines = chain(200);
    std::vector<EventChainVerifier> before(1);
    for (const auto& line : lines) {
        before.push_back(before.back());
        before.back().add(line);
    }
    std::size_t flips = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        for (std::size_t byte = 0; byte < lines[i].size(); ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                std::string damaged = lines[i];
                damaged[byte] = char(damaged[byte] ^ (1 << bit));
                EventChainVerifier verifier = before[i];
                // A flip into "\n" splits the line, as reading the file would.
                std::size_t start = 0;
                for (std::size_t end; (end = damaged.find('\n', start)) != std::string::npos;
                     start = end + 1) {
                    if (end > start) {
                        verifier.add(std::string_view(damaged).substr(start, end - start));
                    }
                }
                verifier.add(std::string_view(damaged).substr(start));
                for (std::size_t k = i + 1; k < lines.size() && !verifier.hasStopped(); ++k) {
                    verifier.add(lines[k]);
                }
                auto result = verifier.result();
                ASSERT_TRUE(std::holds_alternative<R::Broken>(result.value) ||
                            std::holds_alternative<R::Gap>(result.value))
                    << "line " << i + 1 << ", byte " << byte << ", bit " << bit;
                ++flips;
            }
        }
    }
    EXPECT_GT(flips, 199u * 8 * 100);
}
