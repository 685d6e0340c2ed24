#pragma once

#include "evidence/CameraDevice.h"

namespace veyrune {

// The default camera through Qt Multimedia (QCamera with a QImageCapture in a
// QMediaCaptureSession). The Qt objects live on the GUI thread; sessions may be
// used and dropped from any one thread. Photos arrive as JPEG data.
class QtCameraDevice final : public CameraDevice {
  public:
    std::unique_ptr<CameraSession> openDefault() override;
};

}  // namespace veyrune
