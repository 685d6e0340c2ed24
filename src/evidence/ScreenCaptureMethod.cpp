#include "evidence/ScreenCaptureMethod.h"

namespace veyrune {

ScreenCaptureMethod screenCaptureMethodFor(std::string_view sessionType,
                                           std::string_view waylandDisplay) {
    if (sessionType == "wayland" || !waylandDisplay.empty()) {
        return ScreenCaptureMethod::desktopPortal;
    }
    return ScreenCaptureMethod::x11Display;
}

}  // namespace veyrune
