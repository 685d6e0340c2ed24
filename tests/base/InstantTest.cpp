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
