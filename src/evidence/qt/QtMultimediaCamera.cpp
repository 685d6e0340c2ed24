#include "evidence/qt/QtMultimediaCamera.h"

#include <QMediaDevices>

namespace veyrune {

QtMultimediaCamera::QtMultimediaCamera(const QCameraDevice& device)
    : device_(device), camera_(device) {
    session_.setCamera(&camera_);
    session_.setImageCapture(&capture_);
    capture_.setFileFormat(QImageCapture::JPEG);
    capture_.setQuality(QImageCapture::VeryHighQuality);
    QObject::connect(&capture_, &QImageCapture::readyForCaptureChanged, &capture_,
                     [this](bool ready) {
                         if (listener_.readyForCaptureChanged) {
                             listener_.readyForCaptureChanged(ready);
                         }
                     });
    QObject::connect(&capture_, &QImageCapture::imageCaptured, &capture_,
                     [this](int, const QImage& image) {
                         if (listener_.imageCaptured) {
                             listener_.imageCaptured(image);
                         }
                     });
    QObject::connect(&capture_, &QImageCapture::errorOccurred, &capture_,
                     [this](int, QImageCapture::Error, const QString& text) {
                         if (listener_.failed) {
                             listener_.failed(text);
                         }
                     });
    QObject::connect(&camera_, &QCamera::errorOccurred, &camera_,
                     [this](QCamera::Error error, const QString& text) {
                         if (error != QCamera::NoError && listener_.failed) {
                             listener_.failed(text);
                         }
                     });
}

void QtMultimediaCamera::configureAutomatic() {
    if (camera_.isExposureModeSupported(QCamera::ExposureAuto)) {
        camera_.setExposureMode(QCamera::ExposureAuto);
    }
    if (camera_.isWhiteBalanceModeSupported(QCamera::WhiteBalanceAuto)) {
        camera_.setWhiteBalanceMode(QCamera::WhiteBalanceAuto);
    }
    if (camera_.isFocusModeSupported(QCamera::FocusModeAuto)) {
        camera_.setFocusMode(QCamera::FocusModeAuto);
    }
    if (camera_.supportedFeatures().testFlag(QCamera::Feature::CustomFocusPoint)) {
        camera_.setCustomFocusPoint(QPointF(0.5, 0.5));
    }
}

void QtMultimediaCamera::setListener(Listener listener) {
    listener_ = std::move(listener);
}

QList<QSize> QtMultimediaCamera::photoResolutions() const {
    return device_.photoResolutions();
}

void QtMultimediaCamera::setResolution(QSize size) {
    capture_.setResolution(size);
}

void QtMultimediaCamera::start() {
    camera_.start();
}

void QtMultimediaCamera::stop() {
    camera_.stop();
}

bool QtMultimediaCamera::isReadyForCapture() const {
    return capture_.isReadyForCapture();
}

void QtMultimediaCamera::capture() {
    capture_.capture();
}

std::unique_ptr<QtCameraControl> QtMultimediaCameraOpening::openDefault() {
    QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull()) {
        return nullptr;
    }
    auto camera = std::make_unique<QtMultimediaCamera>(device);
    if (camera->failedToOpen()) {
        return nullptr;
    }
    camera->configureAutomatic();
    return camera;
}

}  // namespace veyrune
