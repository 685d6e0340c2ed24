#include "evidence/DesktopGeometry.h"

#include <gtest/gtest.h>

#include "evidence/ScreenCaptureMethod.h"

namespace veyrune::test {
namespace {

TEST(DesktopGeometryTest, BoundsHoldEveryDisplay) {
    EXPECT_EQ(desktopBounds({}), std::nullopt);
    EXPECT_EQ(desktopBounds({{7, 0, 0, 1920, 1080}}), (ScreenDisplay{0, 0, 0, 1920, 1080}));
    EXPECT_EQ(desktopBounds({{1, 0, 0, 1920, 1080}, {2, -1280, 200, 1280, 1024}}),
              (ScreenDisplay{0, -1280, 0, 3200, 1224}));
}

TEST(DesktopGeometryTest, DisplayAreaFollowsThePicturesScale) {
    const ScreenDisplay desktop{0, -1280, 0, 3200, 1080};
    const ScreenDisplay left{1, -1280, 56, 1280, 1024};
    const ScreenDisplay main{2, 0, 0, 1920, 1080};
    struct Case {
        const char* name;
        ScreenDisplay display;
        int imageWidth;
        int imageHeight;
        std::optional<PixelRect> area;
    } cases[] = {
        {"logical pixels", main, 3200, 1080, PixelRect{1280, 0, 1920, 1080}},
        {"offset display", left, 3200, 1080, PixelRect{0, 56, 1280, 1024}},
        {"device pixels at 2x", main, 6400, 2160, PixelRect{2560, 0, 3840, 2160}},
        {"device pixels at 1.5x", left, 4800, 1620, PixelRect{0, 84, 1920, 1536}},
        {"whole desktop", desktop, 6400, 2160, PixelRect{0, 0, 6400, 2160}},
        {"picture smaller than said", main, 2000, 1080, PixelRect{800, 0, 1200, 1080}},
        {"display outside the desktop", {3, 4000, 0, 100, 100}, 3200, 1080, std::nullopt},
        {"empty picture", main, 0, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(displayAreaInDesktopImage(desktop, c.display, c.imageWidth, c.imageHeight),
                  c.area)
            << c.name;
    }
}

TEST(ScreenCaptureMethodTest, WaylandSessionsUseThePortal) {
    using enum ScreenCaptureMethod;
    struct Case {
        const char* sessionType;
        const char* waylandDisplay;
        ScreenCaptureMethod method;
    } cases[] = {
        {"x11", "", x11Display},          {"", "", x11Display},
        {"tty", "", x11Display},          {"wayland", "", desktopPortal},
        {"", "wayland-0", desktopPortal}, {"x11", "wayland-1", desktopPortal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(screenCaptureMethodFor(c.sessionType, c.waylandDisplay), c.method)
            << c.sessionType << " / " << c.waylandDisplay;
    }
}

}  // namespace
}  // namespace veyrune::test
