#include "record/EventChainVerifier.h"

#include <gtest/gtest.h>

#include <limits>

#include "record/EventChain.h"
#include "support/ChainPrinting.h"
#include "support/EventFactory.h"

using namespace veyrune;
using R = ChainVerificationResult;

namespace {

std::string legacyLine(int n) {
    return R"({"context":{},"evidenceIDs":[],"id":")" + Uuid::random().uuidString() +
           R"(","kind":"didWake","occurredAt":)" + std::to_string(786000000 + n) +
           R"(,"summary":"System woke from sleep"})";
}

// Seals `count` events after `lines` the way the event log does.
std::vector<std::string> sealed(std::vector<std::string> lines, int count) {
    for (int i = 0; i < count; ++i) {
        auto header = EventChain::nextHeader(lines);
        auto event = test::makeEvent();
        event.seq = header.seq;
        event.prev = header.prev;
        lines.push_back(EventChain::canonicalLine(event));
    }
    return lines;
}

std::vector<std::string> chain(int count) {
    return sealed({}, count);
}

// A chained line with a chosen seq and prev.
std::string chainedLine(std::int64_t seq, const std::string& prev) {
    auto event = test::makeEvent();
    event.seq = seq;
    event.prev = prev;
    return EventChain::canonicalLine(event);
}

}  // namespace

TEST(EventChain, FirstLineOfAnEmptyLogStartsAtGenesis) {
    EXPECT_EQ(EventChain::nextHeader({}), (EventChain::Header{1, std::string(64, '0')}));
    auto lines = chain(1);
    EXPECT_EQ(EventChainVerifier::verify(lines), R::intact(1, 0, 1, 1));
}

TEST(EventChain, LinkHashIsLowercaseSHA256OfTheExactBytes) {
    EXPECT_EQ(EventChain::linkHash(""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(EventChain::linkHash("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(EventChain, NextHeaderRestartsAfterALineThatCannotCarryASuccessor) {
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

struct VerifyCase {
    const char* name;
    std::vector<std::string> lines;
    R expected;
};

TEST(EventChainVerifier, ClassifiesEveryKindOfDamage) {
    auto five = chain(5);
    auto withLegacy = sealed({legacyLine(1), legacyLine(2), legacyLine(3)}, 2);

    auto edited = five;
    edited[1].replace(edited[1].find("Screen locked"), 6, "SCREEN");
    auto reordered = five;
    reordered[1].insert(1, " ");  // same JSON, different bytes
    auto deleted = five;
    deleted.erase(deleted.begin() + 2);
    auto swapped = five;
    std::swap(swapped[2], swapped[3]);
    auto truncatedTail = five;
    truncatedTail.push_back(five[4].substr(0, 20));
    auto legacyAfterChain = five;
    legacyAfterChain.insert(legacyAfterChain.begin() + 3, legacyLine(9));
    auto editedLast = five;
    editedLast[4].replace(editedLast[4].find("Screen locked"), 6, "SCREEN");
    auto upperPrev = five;
    auto at = upperPrev[2].find("\"prev\":\"") + 8;
    for (std::size_t i = at; i < at + 64; ++i) {
        upperPrev[2][i] = char(std::toupper(upperPrev[2][i]));
    }
    auto blanks = five;
    blanks.insert(blanks.begin() + 2, " \t ");
    blanks.insert(blanks.begin(), "\u00a0\u3000");

    const VerifyCase cases[] = {
        {"no lines", {}, R::empty()},
        {"only blank lines", {"   ", "\t"}, R::empty()},
        {"only legacy lines", {legacyLine(1), "not json"}, R::notStarted(2)},
        {"intact", five, R::intact(5, 0, 1, 5)},
        {"legacy lines before the chain", withLegacy, R::intact(2, 3, 1, 2)},
        {"edited character breaks the next line", edited, R::broken(3)},
        {"added blank inside a line breaks the next line", reordered, R::broken(3)},
        {"deleted middle line", deleted, R::gap(2, 4)},
        {"swapped lines", swapped, R::gap(2, 4)},
        {"truncated last line", truncatedTail, R::broken(6)},
        {"legacy line after the chain", legacyAfterChain, R::broken(4)},
        {"edited last line goes unnoticed", editedLast, R::intact(5, 0, 1, 5)},
        {"upper-case prev does not match", upperPrev, R::broken(3)},
        {"blank lines anywhere are ignored", blanks, R::intact(5, 0, 1, 5)},
        {"first chained line without genesis",
         {chainedLine(4, std::string(64, 'f'))},
         R::broken(4)},
        {"first seq need not be 1", {chainedLine(9, EventChain::genesis)}, R::intact(1, 0, 9, 9)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EventChainVerifier::verify(c.lines), c.expected) << c.name;
    }
}

TEST(EventChainVerifier, SeqTestComesBeforeHashTest) {
    auto lines = chain(2);
    lines.push_back(chainedLine(7, "bogus"));
    EXPECT_EQ(EventChainVerifier::verify(lines), R::gap(2, 7));
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
