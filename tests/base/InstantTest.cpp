#include <gtest/gtest.h>

#include "base/Instant.h"

using namespace veyrune;

TEST(Instant, ReferenceDateFormatsAsISO) {
    EXPECT_EQ(iso8601String(referenceDate()), "2001-01-01T00:00:00Z");
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
