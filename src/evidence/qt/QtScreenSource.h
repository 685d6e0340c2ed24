#pragma once

#include "evidence/qt/QtScreenSourceBase.h"

namespace veyrune {

// Screens on X11: one `QScreen::grabWindow(0)` per display. Reading the
// screens needs an X11 display connection outside any Wayland session; under
// Wayland (where the X11 root window does not hold the other applications'
// pixels) it answers no permission. Any thread.
class QtScreenSource final : public QtScreenSourceBase {
  public:
    ScreenGrabScope grabScope() const override { return ScreenGrabScope::eachDisplay; }
    bool hasCapturePermission() override;
    ScreenCaptureAccess captureAccess() override;
    std::unique_ptr<ScreenFrameStream> startStream(
        const ScreenDisplay& display,
        std::function<void(std::optional<ScreenFrame>)> onFrame) override;
};

}  // namespace veyrune
