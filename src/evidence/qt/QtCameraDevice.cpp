#include "evidence/qt/QtCameraDevice.h"

#include <QBuffer>
#include <QCamera>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPointer>

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

// The Qt side of one session; lives and dies on the GUI thread.
struct CameraObjects {
    QMediaCaptureSession session;
    QCamera camera;
    QImageCapture capture;

    explicit CameraObjects(const QCameraDevice& device) : camera(device) {
        session.setCamera(&camera);
        session.setImageCapture(&capture);
    }

    void configureAutomatic() {
        if (camera.isExposureModeSupported(QCamera::ExposureAuto)) {
            camera.setExposureMode(QCamera::ExposureAuto);
        }
        if (camera.isWhiteBalanceModeSupported(QCamera::WhiteBalanceAuto)) {
            camera.setWhiteBalanceMode(QCamera::WhiteBalanceAuto);
        }
        if (camera.isFocusModeSupported(QCamera::FocusModeAuto)) {
            camera.setFocusMode(QCamera::FocusModeAuto);
        }
        if (camera.supportedFeatures().testFlag(QCamera::Feature::CustomFocusPoint)) {
            camera.setCustomFocusPoint(QPointF(0.5, 0.5));
        }
    }
};

class QtCameraSession final : public CameraSession {
  public:
    QtCameraSession(CameraObjects* objects, QList<QSize> sizes)
        : objects_(objects), sizes_(std::move(sizes)) {}

    ~QtCameraSession() override {
        stopRunning();
        postToGuiThread([objects = objects_] { delete objects; });
    }

    std::vector<PhotoDimensions> supportedPhotoDimensions() const override {
        std::vector<PhotoDimensions> dimensions;
        for (const QSize& size : sizes_) {
            dimensions.push_back({size.width(), size.height()});
        }
        return dimensions;
    }

    void setMaxPhotoDimensions(PhotoDimensions dimensions) override {
        postToGuiThread([objects = objects_, dimensions] {
            objects->capture.setResolution(dimensions.width, dimensions.height);
        });
    }

    void startRunning() override {
        postToGuiThread([objects = objects_] { objects->camera.start(); });
    }

    void stopRunning() override {
        postToGuiThread([objects = objects_] {
            QObject::disconnect(&objects->capture, nullptr, nullptr, nullptr);
            objects->camera.stop();
        });
    }

    void capturePhoto(std::optional<PhotoDimensions> dimensions,
                      PhotoCallbacks callbacks) override {
        postToGuiThread([objects = objects_, dimensions, callbacks = std::move(callbacks)] {
            if (dimensions) {
                objects->capture.setResolution(dimensions->width, dimensions->height);
            }
            objects->capture.setFileFormat(QImageCapture::JPEG);
            objects->capture.setQuality(QImageCapture::VeryHighQuality);
            QObject::connect(&objects->capture, &QImageCapture::imageCaptured, &objects->capture,
                             [callbacks](int, const QImage& image) {
                                 callbacks.photoProcessed(encodeJPEG(image), std::nullopt);
                                 callbacks.captureFinished(std::nullopt);
                             });
            QObject::connect(&objects->capture, &QImageCapture::errorOccurred, &objects->capture,
                             [callbacks](int, QImageCapture::Error, const QString& text) {
                                 callbacks.photoProcessed(std::nullopt, text.toStdString());
                                 callbacks.captureFinished(text.toStdString());
                             });
            objects->capture.capture();
        });
    }

  private:
    CameraObjects* objects_;  // owned; deleted on the GUI thread
    QList<QSize> sizes_;
};

}  // namespace

std::unique_ptr<CameraSession> QtCameraDevice::openDefault() {
    CameraObjects* objects = nullptr;
    QList<QSize> sizes;
    runOnGuiThread([&] {
        QCameraDevice device = QMediaDevices::defaultVideoInput();
        if (device.isNull()) {
            return;
        }
        auto created = std::make_unique<CameraObjects>(device);
        if (created->camera.error() != QCamera::NoError) {
            return;
        }
        created->configureAutomatic();
        sizes = device.photoResolutions();
        objects = created.release();
    });
    if (!objects) {
        return nullptr;
    }
    return std::make_unique<QtCameraSession>(objects, sizes);
}

}  // namespace veyrune
