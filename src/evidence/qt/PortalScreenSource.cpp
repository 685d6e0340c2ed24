#include "evidence/qt/PortalScreenSource.h"

#include <QBuffer>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QThreadPool>
#include <atomic>

#include "evidence/DesktopGeometry.h"
#include "evidence/qt/GuiThread.h"
#include "evidence/qt/PortalScreenshotRequest.h"
#include "evidence/qt/QtScreenImage.h"

namespace veyrune {

namespace {

using Knowledge = PortalScreenSource::Knowledge;
using Clock = std::chrono::steady_clock;

QDBusMessage versionQuery() {
    auto message = QDBusMessage::createMethodCall(PortalScreenshotRequest::portalService,
                                                  PortalScreenshotRequest::portalPath,
                                                  "org.freedesktop.DBus.Properties", "Get");
    message << QStringLiteral("org.freedesktop.portal.Screenshot") << QStringLiteral("version");
    return message;
}

void noteProbe(Knowledge& knowledge, bool answered) {
    std::lock_guard lock(knowledge.mutex);
    knowledge.portalAnswers = answered;
    knowledge.probedAt = Clock::now();
    knowledge.probing = false;
}

void noteAnswer(Knowledge& knowledge, PortalScreenshotAnswer::Kind kind) {
    std::lock_guard lock(knowledge.mutex);
    switch (kind) {
        case PortalScreenshotAnswer::Kind::picture:
            knowledge.portalAnswers = true;
            knowledge.refused = false;
            break;
        case PortalScreenshotAnswer::Kind::refused:
            knowledge.portalAnswers = true;
            knowledge.refused = true;
            break;
        case PortalScreenshotAnswer::Kind::failed:
            break;
    }
}

// The whole desktop in Qt's logical coordinates. GUI thread.
std::optional<ScreenDisplay> currentDesktop() {
    std::vector<ScreenDisplay> screens;
    for (QScreen* screen : QGuiApplication::screens()) {
        QRect frame = screen->geometry();
        screens.push_back({0, frame.x(), frame.y(), frame.width(), frame.height()});
    }
    return desktopBounds(screens);
}

// The portal's picture as it came (encoded) with the part one display takes
// of it. Decoding, cutting and scaling wait until the picture is saved, so
// the grab's time-out bounds only the portal's answer; an uncut picture at
// its logical size is saved as the portal's own PNG.
class PortalPicture final : public ScreenImage {
  public:
    PortalPicture(QByteArray encoded, QByteArray format, QSize size, PixelRect area, QSize logical)
        : encoded_(std::move(encoded)),
          format_(std::move(format)),
          size_(size),
          area_(area),
          logical_(logical) {}

    int width() const override { return logical_.width(); }
    int height() const override { return logical_.height(); }

    bool isWholeAtLogicalSize() const {
        return area_ == PixelRect{0, 0, size_.width(), size_.height()} && size_ == logical_;
    }

    std::optional<std::string> png() const {
        if (format_ == "png" && isWholeAtLogicalSize()) {
            return encoded_.toStdString();
        }
        QImage image = render();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (image.isNull() || !image.save(&buffer, "PNG")) {
            return std::nullopt;
        }
        return bytes.toStdString();
    }

    QImage render() const {
        QImage picture = QImage::fromData(encoded_);
        if (picture.isNull()) {
            return {};
        }
        if (!isWholeAtLogicalSize()) {
            picture = picture.copy(area_.x, area_.y, area_.width, area_.height)
                          .scaled(logical_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

  private:
    QByteArray encoded_;
    QByteArray format_;
    QSize size_;
    PixelRect area_;
    QSize logical_;
};

// Reads the portal's file and removes it; the display's part of it, or
// nothing when the file holds no picture. File work: not on the GUI thread.
std::optional<ScreenFrame> takePicture(const QString& file, const ScreenDisplay& desktop,
                                       const ScreenDisplay& display) {
    QFile input(file);
    QByteArray encoded = input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray();
    input.close();
    QFile::remove(file);
    QBuffer buffer(&encoded);
    QImageReader reader(&buffer);
    QSize size = reader.size();  // from the header alone
    auto area = displayAreaInDesktopImage(desktop, display, size.width(), size.height());
    if (!area) {
        return std::nullopt;
    }
    QByteArray format = reader.format();
    return std::make_shared<PortalPicture>(encoded, format, size, *area,
                                           QSize(display.width, display.height));
}

QImage qtImage(const ScreenFrame& frame) {
    if (auto* picture = dynamic_cast<const PortalPicture*>(frame.get())) {
        return picture->render();
    }
    return static_cast<const QtScreenImage&>(*frame).image();
}

// One grab: the request in flight, until it answers or the grab is stopped.
struct PortalGrab {
    std::atomic<bool> stopped = false;
    QPointer<PortalScreenshotRequest> request;  // GUI thread only
};

class PortalStream final : public ScreenFrameStream {
  public:
    explicit PortalStream(std::shared_ptr<PortalGrab> grab) : grab_(std::move(grab)) {}
    ~PortalStream() override { stop(); }
    void stop() override {
        if (grab_->stopped.exchange(true)) {
            return;
        }
        postToGuiThread([grab = grab_] {
            if (grab->request) {
                grab->request->abandon();
            }
        });
    }

  private:
    std::shared_ptr<PortalGrab> grab_;
};

}  // namespace

PortalScreenSource::PortalScreenSource(QDBusConnection bus) : bus_(std::move(bus)) {
    probeInBackground();
}

bool PortalScreenSource::hasCapturePermission() {
    QDBusMessage reply = bus_.call(versionQuery(), QDBus::Block, int(probeTimeout.count()));
    bool answered = reply.type() == QDBusMessage::ReplyMessage;
    noteProbe(*knowledge_, answered);
    return answered;
}

ScreenCaptureAccess PortalScreenSource::captureAccess() {
    bool stale = false;
    ScreenCaptureAccess access = ScreenCaptureAccess::notGranted;
    {
        std::lock_guard lock(knowledge_->mutex);
        stale =
            !knowledge_->probing && (!knowledge_->probedAt ||
                                     Clock::now() - *knowledge_->probedAt >= accessRefreshInterval);
        if (knowledge_->portalAnswers.value_or(false)) {
            access = knowledge_->refused ? ScreenCaptureAccess::refusedByUser
                                         : ScreenCaptureAccess::granted;
        }
    }
    if (stale) {
        probeInBackground();
    }
    return access;
}

void PortalScreenSource::probeInBackground() {
    if (!QCoreApplication::instance()) {
        return;  // no GUI thread to run it on yet
    }
    {
        std::lock_guard lock(knowledge_->mutex);
        if (knowledge_->probing) {
            return;
        }
        knowledge_->probing = true;
    }
    postToGuiThread([bus = bus_, knowledge = knowledge_]() mutable {
        auto* watcher = new QDBusPendingCallWatcher(
            bus.asyncCall(versionQuery(), int(probeTimeout.count())), QCoreApplication::instance());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [knowledge](QDBusPendingCallWatcher* finished) {
                             finished->deleteLater();
                             noteProbe(*knowledge, !finished->isError());
                         });
    });
}

std::unique_ptr<ScreenFrameStream> PortalScreenSource::startStream(
    const ScreenDisplay& display, std::function<void(std::optional<ScreenFrame>)> onFrame) {
    auto grab = std::make_shared<PortalGrab>();
    postToGuiThread(
        [bus = bus_, knowledge = knowledge_, grab, display, onFrame = std::move(onFrame)] {
            if (grab->stopped) {
                return;
            }
            grab->request = PortalScreenshotRequest::start(
                bus, [knowledge, grab, display, onFrame](PortalScreenshotAnswer answer) {
                    noteAnswer(*knowledge, answer.kind);
                    if (answer.kind != PortalScreenshotAnswer::Kind::picture) {
                        return;  // nothing comes; the grab's time-out ends it
                    }
                    auto desktop = currentDesktop();
                    // Reading the picture is file work: off the GUI thread.
                    QThreadPool::globalInstance()->start([file = answer.file, desktop, display,
                                                          grab, onFrame] {
                        auto frame = takePicture(file, desktop.value_or(ScreenDisplay{}), display);
                        if (!grab->stopped) {
                            onFrame(std::move(frame));
                        }
                    });
                });
        });
    return std::make_unique<PortalStream>(grab);
}

std::optional<ScreenFrame> PortalScreenSource::compose(const StitchLayout& layout,
                                                       const std::vector<ScreenFrame>& frames) {
    std::vector<ScreenFrame> images;
    for (const auto& frame : frames) {
        images.push_back(std::make_shared<QtScreenImage>(qtImage(frame)));
    }
    return QtScreenSourceBase::compose(layout, images);
}

std::optional<std::string> PortalScreenSource::encodePNG(const ScreenFrame& frame) {
    if (auto* picture = dynamic_cast<const PortalPicture*>(frame.get())) {
        return picture->png();
    }
    return QtScreenSourceBase::encodePNG(frame);
}

}  // namespace veyrune
