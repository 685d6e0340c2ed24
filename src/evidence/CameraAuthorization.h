#pragma once

#include <functional>

#include "evidence/CameraAuthorizationStatus.h"

namespace veyrune {

// Whether the user may use the camera. Any thread.
class CameraAuthorization {
  public:
    virtual ~CameraAuthorization() = default;
    virtual CameraAuthorizationStatus status() const = 0;
    // Asks for access where the platform can ask; `answer` gets whether access
    // is granted, exactly once, on any thread.
    virtual void requestAccess(std::function<void(bool granted)> answer) = 0;
};

}  // namespace veyrune
