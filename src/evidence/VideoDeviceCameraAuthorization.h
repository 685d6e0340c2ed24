#pragma once

#include <filesystem>

#include "evidence/CameraAuthorization.h"

namespace veyrune {

// Camera access on Linux is access to a video device node: authorized when
// some /dev/video* opens for reading and writing, denied when such nodes exist
// but none opens, notDetermined when there are none. Nothing can be asked for,
// so `requestAccess` answers with the current state at once.
class VideoDeviceCameraAuthorization final : public CameraAuthorization {
  public:
    explicit VideoDeviceCameraAuthorization(std::filesystem::path deviceFolder = "/dev");

    CameraAuthorizationStatus status() const override;
    void requestAccess(std::function<void(bool granted)> answer) override;

  private:
    std::filesystem::path deviceFolder_;
};

}  // namespace veyrune
