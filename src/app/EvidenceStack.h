#pragma once

#include <memory>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "base/Clock.h"
#include "base/MainQueue.h"
#include "evidence/AsioCaptureTimerScheduler.h"
#include "evidence/CameraCapturer.h"
#include "evidence/EvidenceLibrary.h"
#include "evidence/ScreenshotCapturer.h"
#include "evidence/VideoDeviceCameraAuthorization.h"
#include "evidence/qt/QtCameraDevice.h"
#include "evidence/qt/QtPhotoAdjuster.h"
#include "evidence/qt/QtScreenSource.h"

namespace veyrune {

// Evidence of the running program: the evidence folder, the camera and
// screenshot capturers over Qt, and the camera permission. `pool`, `clock`
// and `mainQueue` must outlive it. Built on the main thread.
class EvidenceStack {
  public:
    EvidenceStack(AsioTaskPool& pool, const Clock& clock, MainQueue& mainQueue);

    EvidenceLibrary& library() { return library_; }
    ScreenshotCapturer& screenshots() { return screenshots_; }
    CameraCapturer& camera() { return *camera_; }
    CameraAuthorization& cameraAuthorization() { return authorization_; }

  private:
    EvidenceLibrary library_;
    AsioCaptureTimerScheduler timers_;
    QtScreenSource screenSource_;
    QtCameraDevice cameraDevice_;
    QtPhotoAdjuster photoAdjuster_;
    VideoDeviceCameraAuthorization authorization_;
    AsioSerialQueue cameraQueue_;
    ScreenshotCapturer screenshots_;
    std::shared_ptr<CameraCapturer> camera_;
};

}  // namespace veyrune
