#include <gtest/gtest.h>

#include "record/EventChain.h"
#include "record/LineFingerprintSet.h"

using namespace veyrune;

// Many more lines than the first table holds, so every one is found again
// after the table grew several times, and the free-slot marker is a line too.
TEST(LineFingerprintSet, FindsEveryLineAgainAfterGrowing) {
    LineFingerprintSet set;
    constexpr int kLines = 20'000;
    for (int i = 0; i < kLines; ++i) {
        ASSERT_TRUE(set.insert(LineFingerprint::of("line " + std::to_string(i)))) << i;
    }
    for (int i = 0; i < kLines; ++i) {
        ASSERT_FALSE(set.insert(LineFingerprint::of("line " + std::to_string(i)))) << i;
    }
    EXPECT_TRUE(set.insert(LineFingerprint{}));
    EXPECT_FALSE(set.insert(LineFingerprint{}));
    EXPECT_EQ(set.size(), std::size_t{kLines + 1});
}

// Lines that land on the same slot are still different lines.
TEST(LineFingerprintSet, KeepsLinesApartThatShareASlot) {
    LineFingerprintSet set;
    for (std::uint64_t high = 1; high <= 3000; ++high) {
        ASSERT_TRUE(set.insert({high, 7})) << high;
    }
    EXPECT_FALSE(set.insert({1, 7}));
    EXPECT_TRUE(set.insert({0, 7}));
}

// The verifier's hexadecimal link names the same line as its fingerprint.
TEST(LineFingerprint, ReadFromTheHexLinkMatchesTheLine) {
    for (const std::string& line :
         {std::string(), std::string("{\"seq\":1}"), std::string(1000, 'x')}) {
        EXPECT_EQ(LineFingerprint::fromHex(EventChain::linkHash(line)), LineFingerprint::of(line))
            << line;
    }
}
