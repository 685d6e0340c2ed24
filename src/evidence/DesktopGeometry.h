#pragma once

#include <optional>
#include <vector>

#include "evidence/ScreenSource.h"

namespace veyrune {

// A rectangle of pixels in a picture, top-left origin.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// The smallest rectangle holding every display, as a display with id 0.
// Nothing for an empty list.
std::optional<ScreenDisplay> desktopBounds(const std::vector<ScreenDisplay>& displays);

// Where `display` lies in a picture of the whole desktop `desktop` that is
// `imageWidth` x `imageHeight` pixels. The picture may be in device pixels:
// its scale is its size over the desktop's logical size, separately per axis.
// Clipped to the picture; nothing when nothing of the display is in it.
std::optional<PixelRect> displayAreaInDesktopImage(const ScreenDisplay& desktop,
                                                   const ScreenDisplay& display, int imageWidth,
                                                   int imageHeight);

}  // namespace veyrune
