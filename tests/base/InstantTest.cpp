#include <gtest/gtest.h>

#include <cmath>

#include "base/Instant.h"

using namespace veyrune;

TEST(Instant, StoredSecondsBeyondTheRangeOfInstantAreRejectedAndSumsSaturate) {
    const struct {
        double seconds;
        bool representable;
    } cases[] = {
        {0, true},        {786000000.25, true}, {8e9, true},     {-9e9, true},      {9e9, false},
        {-1.1e10, false}, {1e30, false},        {-1e300, false}, {HUGE_VAL, false}, {NAN, false},
    };
    for (auto c : cases) {
        EXPECT_EQ(checkedInstantFromReferenceSeconds(c.seconds).has_value(), c.representable)
            << c.seconds;
    }
    EXPECT_EQ(checkedInstantFromReferenceSeconds(786000000.25),
              addSeconds(referenceDate(), 786000000.25));
    EXPECT_EQ(addSeconds(referenceDate(), 1e30), Instant::max());
    EXPECT_EQ(instantFromReferenceSeconds(-1e30), Instant::min());
}

TEST(Instant, StoredSecondsReadAndWrittenAgainKeepTheirValue) {
    // Truncating toward zero lost a nanosecond on every read of 540.00000625.
    for (double seconds : {540.00000625, -540.00000625, 0.1, 786000000.123456, -8.5e9 + 0.3}) {
        double once = secondsSinceReferenceDate(*checkedInstantFromReferenceSeconds(seconds));
        double twice = secondsSinceReferenceDate(*checkedInstantFromReferenceSeconds(once));
        EXPECT_EQ(once, twice) << seconds;
        EXPECT_NEAR(once, seconds, 1e-6) << seconds;
    }
}

TEST(Instant, ISODatesTheClockCannotHoldAreRejected) {
    for (const char* far : {"1013-12-04T21:40:05Z", "0000-01-01T00:00:00Z", "1677-09-21T00:00:00Z",
                            "2262-04-12T00:00:00Z", "9999-12-31T23:59:59-23:59"}) {
        EXPECT_FALSE(parseISO8601(far)) << far;
    }
    for (const char* near :
         {"1677-09-22T00:00:00Z", "1800-01-01T00:00:00Z", "2262-04-11T00:00:00Z"}) {
        ASSERT_TRUE(parseISO8601(near)) << near;
        EXPECT_EQ(iso8601String(*parseISO8601(near)), near);
    }
}
