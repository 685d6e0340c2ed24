#include "evidence/qt/QtCameraDevice.h"

#include <QBuffer>
#include <optional>

#include "evidence/qt/GuiThread.h"

namespace veyrune {

namespace {

// Near-lossless, since the adjuster decodes and encodes the photo once more.
constexpr int deliveredJPEGQuality = 100;

std::string encodeJPEG(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", deliveredJPEGQuality);
    return bytes.toStdString();
}

// One session's state; lives, changes and dies on the GUI thread.
struct CameraState {
    std::unique_ptr<QtCameraControl> control;
    std::optional<QString> earlyFailure;     // before any photo was asked for
    std::optional<PhotoCallbacks> waiting;   // asked for, the camera not yet ready
    std::optional<PhotoCallbacks> shooting;  // the picture is being taken

    void shootIfReady() {
        if (waiting && control->isReadyForCapture()) {
            shooting = std::move(waiting);
            waiting.reset();
            control->capture();
        }
    }

    // Answers whichever request is open; remembers the error otherwise.
    void fail(const QString& text) {
        auto callbacks = shooting ? std::move(shooting) : std::move(waiting);
        shooting.reset();
        waiting.reset();
        if (!callbacks) {
            earlyFailure = text;
            return;
        }
        callbacks->photoProcessed(std::nullopt, text.toStdString());
        callbacks->captureFinished(text.toStdString());
    }

    void delivered(const QImage& image) {
        if (!shooting) {
            return;
        }
        auto callbacks = std::move(*shooting);
        shooting.reset();
        callbacks.photoProcessed(encodeJPEG(image), std::nullopt);
        callbacks.captureFinished(std::nullopt);
    }

    void listen() {
        control->setListener({
            [this](bool ready) {
                if (ready) {
                    shootIfReady();
                }
            },
            [this](const QImage& image) { delivered(image); },
            [this](const QString& text) { fail(text); },
        });
    }
};

class QtCameraSession final : public CameraSession {
  public:
    QtCameraSession(CameraState* state, QList<QSize> sizes)
        : state_(state), sizes_(std::move(sizes)) {}

    ~QtCameraSession() override {
        stopRunning();
        postToGuiThread([state = state_] { delete state; });
    }

    std::vector<PhotoDimensions> supportedPhotoDimensions() const override {
        std::vector<PhotoDimensions> dimensions;
        for (const QSize& size : sizes_) {
            dimensions.push_back({size.width(), size.height()});
        }
        return dimensions;
    }

    void setMaxPhotoDimensions(PhotoDimensions dimensions) override {
        postToGuiThread([state = state_, dimensions] {
            state->control->setResolution(QSize(dimensions.width, dimensions.height));
        });
    }

    void startRunning() override {
        postToGuiThread([state = state_] { state->control->start(); });
    }

    void stopRunning() override {
        postToGuiThread([state = state_] {
            state->control->setListener({});
            state->waiting.reset();
            state->shooting.reset();
            state->control->stop();
        });
    }

    void capturePhoto(std::optional<PhotoDimensions> dimensions,
                      PhotoCallbacks callbacks) override {
        postToGuiThread([state = state_, dimensions, callbacks = std::move(callbacks)] {
            if (dimensions) {
                state->control->setResolution(QSize(dimensions->width, dimensions->height));
            }
            state->waiting = callbacks;
            if (state->earlyFailure) {
                state->fail(*state->earlyFailure);
                return;
            }
            state->shootIfReady();
        });
    }

  private:
    CameraState* state_;  // owned; deleted on the GUI thread after the last use
    QList<QSize> sizes_;
};

}  // namespace

QtCameraDevice::QtCameraDevice(QtCameraOpening& opening) : opening_(opening) {}

std::unique_ptr<CameraSession> QtCameraDevice::openDefault() {
    CameraState* state = nullptr;
    QList<QSize> sizes;
    runOnGuiThread([&] {
        auto control = opening_.openDefault();
        if (!control) {
            return;
        }
        sizes = control->photoResolutions();
        state = new CameraState{std::move(control), {}, {}, {}};
        state->listen();
    });
    if (!state) {
        return nullptr;
    }
    return std::make_unique<QtCameraSession>(state, sizes);
}

}  // namespace veyrune
