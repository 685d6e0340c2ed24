#include "evidence/DesktopGeometry.h"

#include <algorithm>
#include <cmath>

namespace veyrune {

std::optional<ScreenDisplay> desktopBounds(const std::vector<ScreenDisplay>& displays) {
    if (displays.empty()) {
        return std::nullopt;
    }
    int left = displays.front().x;
    int top = displays.front().y;
    int right = left + displays.front().width;
    int bottom = top + displays.front().height;
    for (const auto& d : displays) {
        left = std::min(left, d.x);
        top = std::min(top, d.y);
        right = std::max(right, d.x + d.width);
        bottom = std::max(bottom, d.y + d.height);
    }
    return ScreenDisplay{0, left, top, right - left, bottom - top};
}

std::optional<PixelRect> displayAreaInDesktopImage(const ScreenDisplay& desktop,
                                                   const ScreenDisplay& display, int imageWidth,
                                                   int imageHeight) {
    if (desktop.width <= 0 || desktop.height <= 0 || imageWidth <= 0 || imageHeight <= 0) {
        return std::nullopt;
    }
    double scaleX = double(imageWidth) / desktop.width;
    double scaleY = double(imageHeight) / desktop.height;
    auto scaled = [](int logical, double scale) { return int(std::lround(logical * scale)); };
    int left = std::max(0, scaled(display.x - desktop.x, scaleX));
    int top = std::max(0, scaled(display.y - desktop.y, scaleY));
    int right = std::min(imageWidth, scaled(display.x - desktop.x + display.width, scaleX));
    int bottom = std::min(imageHeight, scaled(display.y - desktop.y + display.height, scaleY));
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }
    return PixelRect{left, top, right - left, bottom - top};
}

}  // namespace veyrune
