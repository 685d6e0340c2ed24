#include "review/ChainStatusProjection.h"

#include <gtest/gtest.h>

using namespace veyrune;
using R = ChainVerificationResult;
using Tint = DeliveryTimelineTintIntent;

// One verdict of each tint; the wording of the rest lives in one table in the code.
TEST(ChainStatusProjection, VerdictsPickTextImageAndTint) {
    auto empty = ChainStatusProjection::make(R::empty());
    EXPECT_EQ(chainSummaryText(empty), "No events yet");
    EXPECT_EQ(empty.tintIntent, Tint::inactive);
    EXPECT_FALSE(empty.didVerify);
    EXPECT_FALSE(empty.detail);

    auto intact = ChainStatusProjection::make(R::intact(12, 1, 3, 14));
    EXPECT_EQ(chainSummaryText(intact),
              "Chain intact \u2014 12 entries verified (3\u201314) \u00b7 1 earlier entry predates "
              "the chain");
    EXPECT_EQ(intact.systemImage, "checkmark.shield.fill");
    EXPECT_EQ(intact.tintIntent, Tint::ready);

    auto gap = ChainStatusProjection::make(R::gap(2, 4));
    EXPECT_EQ(chainSummaryText(gap),
              "Entries missing between 2 and 4 \u2014 The log skips from entry 2 to entry 4.");
    EXPECT_EQ(gap.tintIntent, Tint::attention);
    EXPECT_TRUE(gap.didVerify);
}
