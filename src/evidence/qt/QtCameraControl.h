#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

namespace veyrune {

// One opened camera at the Qt level: a camera and its still-image capture.
// Created, called and destroyed on the GUI thread; its listener is called
// there too.
class QtCameraControl {
  public:
    struct Listener {
        std::function<void(bool ready)> readyForCaptureChanged;
        std::function<void(const QImage& image)> imageCaptured;
        std::function<void(const QString& error)> failed;  // the camera or the capture
    };

    virtual ~QtCameraControl() = default;
    // Replaces the listener; an empty one hears nothing.
    virtual void setListener(Listener listener) = 0;
    // The photo sizes the camera offers, in its own order.
    virtual QList<QSize> photoResolutions() const = 0;
    virtual void setResolution(QSize size) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isReadyForCapture() const = 0;
    // Takes one picture; the answer comes through the listener.
    virtual void capture() = 0;
};

// Opens the default camera, set to automatic exposure, white balance and
// focus. GUI thread. Null when there is no camera or it cannot be opened.
class QtCameraOpening {
  public:
    virtual ~QtCameraOpening() = default;
    virtual std::unique_ptr<QtCameraControl> openDefault() = 0;
};

}  // namespace veyrune
