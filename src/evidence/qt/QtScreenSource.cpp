#include "evidence/qt/QtScreenSource.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <atomic>

#include "evidence/qt/GuiThread.h"
#include "evidence/qt/QtScreenImage.h"

namespace veyrune {

namespace {

// Time between grabs while a screen yields no picture.
constexpr int retryMilliseconds = 100;

class GrabStream final : public ScreenFrameStream {
  public:
    void stop() override { stopped->store(true); }
    std::shared_ptr<std::atomic<bool>> stopped = std::make_shared<std::atomic<bool>>(false);
};

QScreen* screenNamed(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name) {
            return screen;
        }
    }
    return nullptr;
}

// The screen's picture at its logical size, so a high-density screen is kept
// at the same scale as the others.
std::optional<ScreenFrame> grab(QScreen& screen) {
    QImage image = screen.grabWindow(0).toImage();
    if (image.isNull()) {
        return std::nullopt;
    }
    QSize logical = screen.geometry().size();
    if (image.size() != logical) {
        image = image.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return std::make_shared<QtScreenImage>(
        image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void grabUntilPicture(const QString& name, std::shared_ptr<std::atomic<bool>> stopped,
                      std::function<void(std::optional<ScreenFrame>)> onFrame) {
    if (stopped->load()) {
        return;
    }
    QScreen* screen = screenNamed(name);
    if (!screen) {
        return;  // the screen went away; the grab's time-out ends it
    }
    auto frame = grab(*screen);
    onFrame(frame);
    if (!frame) {
        QTimer::singleShot(retryMilliseconds, QCoreApplication::instance(),
                           [name, stopped, onFrame] { grabUntilPicture(name, stopped, onFrame); });
    }
}

}  // namespace

bool QtScreenSource::hasCapturePermission() {
    // Under a Wayland compositor, even through XWayland, the X11 root window
    // does not hold the other applications' pixels, so a grab would be blank.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return false;
    }
    bool allowed = false;
    runOnGuiThread([&] {
        allowed = QGuiApplication::platformName() == QLatin1String("xcb") &&
                  !QGuiApplication::screens().isEmpty();
    });
    return allowed;
}

ScreenCaptureAccess QtScreenSource::captureAccess() {
    return hasCapturePermission() ? ScreenCaptureAccess::granted : ScreenCaptureAccess::notGranted;
}

std::unique_ptr<ScreenFrameStream> QtScreenSource::startStream(
    const ScreenDisplay& display, std::function<void(std::optional<ScreenFrame>)> onFrame) {
    auto stream = std::make_unique<GrabStream>();
    postToGuiThread([name = screenName(display.displayID), stopped = stream->stopped,
                     onFrame = std::move(onFrame)] { grabUntilPicture(name, stopped, onFrame); });
    return stream;
}

}  // namespace veyrune
