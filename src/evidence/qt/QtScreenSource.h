#pragma once

#include <QString>
#include <map>
#include <mutex>

#include "evidence/ScreenSource.h"

namespace veyrune {

// Screens through Qt: one `QScreen::grabWindow(0)` per display, stitching with
// QPainter on a transparent ARGB canvas, PNG through QImage. Reading the
// screens needs an X11 display connection outside any Wayland session; under
// Wayland it answers no permission. Any thread; the screen work hops to the
// GUI thread.
class QtScreenSource final : public ScreenSource {
  public:
    bool hasCapturePermission() override;
    void loadDisplays(std::function<void(std::optional<DisplayList>)> done) override;
    std::unique_ptr<ScreenFrameStream> startStream(
        const ScreenDisplay& display,
        std::function<void(std::optional<ScreenFrame>)> onFrame) override;
    std::optional<ScreenFrame> compose(const StitchLayout& layout,
                                       const std::vector<ScreenFrame>& frames) override;
    std::optional<std::string> encodePNG(const ScreenFrame& frame) override;

  private:
    std::uint32_t displayID(const QString& screenName);
    QString screenName(std::uint32_t displayID);

    std::mutex mutex_;
    // Screens keep their number for the life of the process, even when
    // the list changes order.
    std::map<QString, std::uint32_t> idsByName_;  // guarded by mutex_
};

}  // namespace veyrune
