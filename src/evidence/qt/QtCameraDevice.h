#pragma once

#include "evidence/CameraDevice.h"
#include "evidence/qt/QtCameraControl.h"

namespace veyrune {

// The default camera at the Qt level. A photo is taken only once the camera
// reports itself ready for capture: at once when it already is, else when it
// turns ready; a camera that never does is ended by the capturer's time-out.
// A camera or capture error answers the photo request with that error, also
// when it came before the request. The Qt objects live on the GUI thread;
// sessions may be used and dropped from any one thread. Photos arrive as JPEG.
class QtCameraDevice final : public CameraDevice {
  public:
    // `opening` must outlive the device and its sessions.
    explicit QtCameraDevice(QtCameraOpening& opening);

    std::unique_ptr<CameraSession> openDefault() override;

  private:
    QtCameraOpening& opening_;
};

}  // namespace veyrune
