#include <gtest/gtest.h>

#include "base/Instant.h"

using namespace veyrune;

TEST(Instant, ReferenceDateFormatsAsISO) {
    EXPECT_EQ(iso8601String(referenceDate()), "2001-01-01T00:00:00Z");
}
