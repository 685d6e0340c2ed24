#pragma once

#include <QDBusConnection>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "evidence/qt/QtScreenSourceBase.h"

namespace veyrune {

// Screens through the desktop portal (org.freedesktop.portal.Screenshot), as
// Wayland compositors allow. Each grab is one non-interactive request; the
// portal's picture of the whole desktop is read and its file removed off the
// GUI thread. Its frame is the requested display's part of the desktop at
// that display's logical size (the picture may be in device pixels), decoded
// and cut only when encoded or composed. The
// permission is a portal that answers on the bus; a request answered with
// response 1 or 2 makes the access `refusedByUser` until a later request
// brings a picture. Displays come from Qt's screens. Any thread; the bus work
// runs on the GUI thread.
class PortalScreenSource final : public QtScreenSourceBase {
  public:
    static constexpr std::chrono::milliseconds probeTimeout{2000};
    // How long a probe's answer is trusted by `captureAccess`.
    static constexpr std::chrono::seconds accessRefreshInterval{30};

    explicit PortalScreenSource(QDBusConnection bus = QDBusConnection::sessionBus());

    ScreenGrabScope grabScope() const override { return ScreenGrabScope::wholeDesktop; }
    // Asks the portal for its Screenshot interface's version and waits up to 2 s.
    bool hasCapturePermission() override;
    // The last known answer; starts a probe in the background when it is old.
    ScreenCaptureAccess captureAccess() override;
    std::unique_ptr<ScreenFrameStream> startStream(
        const ScreenDisplay& display,
        std::function<void(std::optional<ScreenFrame>)> onFrame) override;
    std::optional<ScreenFrame> compose(const StitchLayout& layout,
                                       const std::vector<ScreenFrame>& frames) override;
    std::optional<std::string> encodePNG(const ScreenFrame& frame) override;

    // What is known about the portal; shared with requests that outlive a capture.
    struct Knowledge {
        std::mutex mutex;
        std::optional<bool> portalAnswers;                              // guarded by mutex
        bool refused = false;                                           // guarded by mutex
        std::optional<std::chrono::steady_clock::time_point> probedAt;  // guarded by mutex
        bool probing = false;                                           // guarded by mutex
    };

  private:
    void probeInBackground();

    QDBusConnection bus_;
    std::shared_ptr<Knowledge> knowledge_ = std::make_shared<Knowledge>();
};

}  // namespace veyrune
