#include <gtest/gtest.h>

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
