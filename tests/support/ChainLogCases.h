#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "record/ChainVerificationResult.h"
#include "record/EventChain.h"
#include "support/EventFactory.h"

namespace veyrune::test {

// An event line from before chaining: numeric date, no seq or prev.
inline std::string legacyLine(int n) {
    return R"({"context":{},"evidenceIDs":[],"id":")" + Uuid::random().uuidString() +
           R"(","kind":"didWake","occurredAt":)" + std::to_string(786000000 + n) +
           R"(,"summary":"System woke from sleep"})";
}

// Seals `count` events after `lines` the way the event log does.
inline std::vector<std::string> sealedLines(std::vector<std::string> lines, int count) {
    for (int i = 0; i < count; ++i) {
        auto header = EventChain::nextHeader(lines);
        auto event = makeEvent();
        event.seq = header.seq;
        event.prev = header.prev;
        lines.push_back(EventChain::canonicalLine(event));
    }
    return lines;
}

// A chained line with a chosen seq and prev.
inline std::string chainedLine(std::int64_t seq, const std::string& prev) {
    auto event = makeEvent();
    event.seq = seq;
    event.prev = prev;
    return EventChain::canonicalLine(event);
}

struct ChainCase {
    std::string name;
    std::vector<std::string> lines;
    ChainVerificationResult expected;
};

// The kinds of damage the chain must tell apart, each with its verdict.
inline std::vector<ChainCase> chainCases() {
    using R = ChainVerificationResult;
    auto five = sealedLines({}, 5);
    auto withLegacy = sealedLines({legacyLine(1), legacyLine(2), legacyLine(3)}, 2);

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
    std::transform(upperPrev[2].begin() + long(at), upperPrev[2].begin() + long(at) + 64,
                   upperPrev[2].begin() + long(at), [](char c) { return char(std::toupper(c)); });
    auto blanks = five;
    blanks.insert(blanks.begin() + 2, " \t ");
    blanks.insert(blanks.begin(), "\u00a0\u3000");
    auto notUTF8 = five;
    notUTF8[2][notUTF8[2].find("Screen")] = '\xff';

    return {
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
        {"a line that is not UTF-8 breaks the chain there", notUTF8, R::broken(3)},
        {"first chained line without genesis",
         {chainedLine(4, std::string(64, 'f'))},
         R::broken(4)},
        {"first seq need not be 1", {chainedLine(9, EventChain::genesis)}, R::intact(1, 0, 9, 9)},
    };
}

// The lines as the log stores them.
inline std::string logText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace veyrune::test
