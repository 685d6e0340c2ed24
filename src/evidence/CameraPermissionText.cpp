#include "evidence/CameraPermissionText.h"

namespace veyrune {

CameraPermissionText cameraPermissionText(bool cameraCaptureEnabled,
                                          CameraAuthorizationStatus status) {
    using enum CameraPermissionReadiness;
    if (!cameraCaptureEnabled) {
        return {"Disabled in Evidence settings", inactive};
    }
    switch (status) {
        case CameraAuthorizationStatus::notDetermined:
            return {"Camera permission has not been requested", attention};
        case CameraAuthorizationStatus::restricted:
            return {"Camera permission is restricted", attention};
        case CameraAuthorizationStatus::denied:
            return {"Camera permission is denied", attention};
        case CameraAuthorizationStatus::authorized:
            return {"Camera permission is granted", ready};
        case CameraAuthorizationStatus::unknown:
            break;
    }
    return {"Camera permission status is unknown", attention};
}

}  // namespace veyrune
