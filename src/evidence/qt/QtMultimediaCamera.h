#pragma once

#include <QCamera>
#include <QImageCapture>
#include <QMediaCaptureSession>

#include "evidence/qt/QtCameraControl.h"

namespace veyrune {

// The default camera through Qt Multimedia: a QCamera with a QImageCapture in
// a QMediaCaptureSession. GUI thread only.
class QtMultimediaCamera final : public QtCameraControl {
  public:
    explicit QtMultimediaCamera(const QCameraDevice& device);

    void setListener(Listener listener) override;
    QList<QSize> photoResolutions() const override;
    void setResolution(QSize size) override;
    void start() override;
    void stop() override;
    bool isReadyForCapture() const override;
    void capture() override;

    bool failedToOpen() const { return camera_.error() != QCamera::NoError; }
    void configureAutomatic();

  private:
    QCameraDevice device_;
    QMediaCaptureSession session_;
    QCamera camera_;
    QImageCapture capture_;
    Listener listener_;
};

// Opens QMediaDevices::defaultVideoInput() as a QtMultimediaCamera.
class QtMultimediaCameraOpening final : public QtCameraOpening {
  public:
    std::unique_ptr<QtCameraControl> openDefault() override;
};

}  // namespace veyrune
