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
#include "evidence/V4L2CapabilityQuery.h"
#include "evidence/VideoDeviceCameraAuthorization.h"
#include "evidence/qt/QtCameraDevice.h"
#include "evidence/qt/QtMultimediaCamera.h"
#include "evidence/qt/QtPhotoAdjuster.h"
#include "evidence/qt/ScreenSourceFactory.h"

namespace veyrune {

// Evidence of the running program: the evidence folder, the camera and
// screenshot capturers over Qt, and the camera permission. The capture queues
// and time-outs run on `queuePool`, encoding and file writes on `blockingIO`.
// Both pools, `clock` and `mainQueue` must outlive it. Built on the main thread.
class EvidenceStack {
  public:
    EvidenceStack(AsioTaskPool& queuePool, AsioTaskPool& blockingIO, const Clock& clock,
                  MainQueue& mainQueue);

    EvidenceLibrary& library() { return library_; }
    ScreenshotCapturer& screenshots() { return screenshots_; }
    CameraCapturer& camera() { return *camera_; }
    CameraAuthorization& cameraAuthorization() { return authorization_; }
    // The X11 grab or the desktop portal, chosen from the session type.
    ScreenSource& screenSource() { return *screen_.source; }
    ScreenCaptureMethod screenCaptureMethod() const { return screen_.method; }

  private:
    EvidenceLibrary library_;
    AsioCaptureTimerScheduler timers_;
    ChosenScreenSource screen_;
    QtMultimediaCameraOpening cameraOpening_;
    QtCameraDevice cameraDevice_;
    QtPhotoAdjuster photoAdjuster_;
    V4L2CapabilityQuery videoQuery_;
    VideoDeviceCameraAuthorization authorization_;
    AsioSerialQueue cameraQueue_;
    ScreenshotCapturer screenshots_;
    std::shared_ptr<CameraCapturer> camera_;
};

}  // namespace veyrune
