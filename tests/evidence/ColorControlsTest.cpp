#include "evidence/ColorControls.h"

#include <gtest/gtest.h>

namespace veyrune::test {
namespace {

TEST(ColorControlsTest, PhotoAdjustmentScalesAboutMidGreyThenBrightens) {
    auto photo = ColorControls::photo();
    // (100/255 - 0.5) * 1.1 + 0.5 + 0.2 = 0.5814 -> 148.25
    EXPECT_EQ(photo.apply8(100), 148);
    EXPECT_EQ(photo.apply8(128), 179);
    EXPECT_EQ(photo.apply8(0), 38);
    EXPECT_EQ(photo.apply8(200), 255) << "clamped";
    EXPECT_NEAR(photo.apply(0.5), 0.7, 1e-12) << "mid-grey only gains brightness";
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(ColorControls{}.apply8(std::uint8_t(v)), v) << "neutral controls change nothing";
    }
}

}  // namespace
}  // namespace veyrune::test
