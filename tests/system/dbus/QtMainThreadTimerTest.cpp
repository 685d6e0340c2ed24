#include "system/linux/QtMainThreadTimer.h"

#include <gtest/gtest.h>

#include <string>

#include "PrivateBus.h"

using namespace veyrune;
using namespace veyrune::test;
using std::chrono::milliseconds;

TEST(QtMainThreadTimer, OnlyTheLastStartedHandlerRunsAndItMayStartTheNext) {
    QtMainThreadTimer timer;
    std::string ran;
    timer.start(milliseconds(0), [&] { ran += "replaced "; });
    timer.start(milliseconds(0), [&] {
        ran += "first ";
        timer.start(milliseconds(0), [&] { ran += "next "; });
    });
    ASSERT_TRUE(waitForEvents([&] { return ran.find("next") != std::string::npos; }));
    timer.start(milliseconds(0), [&] { ran += "cancelled "; });
    timer.cancel();
    timer.start(milliseconds(1), [&] { ran += "last"; });
    ASSERT_TRUE(waitForEvents([&] { return ran.ends_with("last"); }));
    EXPECT_EQ(ran, "first next last");
}
