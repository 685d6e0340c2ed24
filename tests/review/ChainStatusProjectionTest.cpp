#include "review/ChainStatusProjection.h"

#include <gtest/gtest.h>

using namespace veyrune;
using R = ChainVerificationResult;
using Tint = DeliveryTimelineTintIntent;

TEST(ChainStatusProjection, EveryVerdictHasItsExactTexts) {
    struct Case {
        R result;
        std::string summary;
        std::string image;
        Tint tint;
        bool didVerify;
    };
    const Case cases[] = {
        {R::empty(), "No events yet", "shield", Tint::inactive, false},
        {R::notStarted(4), "Chain not started \u2014 4 entries predate tamper-evident logging.",
         "shield", Tint::inactive, false},
        {R::intact(1, 0, 1, 1), "Chain intact \u2014 1 entry verified (1\u20131)",
         "checkmark.shield.fill", Tint::ready, true},
        {R::intact(12, 1, 3, 14),
         "Chain intact \u2014 12 entries verified (3\u201314) \u00b7 1 earlier entry predates the "
         "chain",
         "checkmark.shield.fill", Tint::ready, true},
        {R::broken(7),
         "Chain broken at entry 7 \u2014 Entry 7 does not follow from the one before it.",
         "exclamationmark.shield.fill", Tint::attention, true},
        {R::gap(2, 4),
         "Entries missing between 2 and 4 \u2014 The log skips from entry 2 to entry 4.",
         "exclamationmark.shield.fill", Tint::attention, true},
    };
    for (const auto& c : cases) {
        auto projection = ChainStatusProjection::make(c.result);
        EXPECT_EQ(chainSummaryText(projection), c.summary);
        EXPECT_EQ(projection.systemImage, c.image) << c.summary;
        EXPECT_EQ(projection.tintIntent, c.tint) << c.summary;
        EXPECT_EQ(projection.didVerify, c.didVerify) << c.summary;
    }
    EXPECT_FALSE(ChainStatusProjection::make(R::empty()).detail);
}
