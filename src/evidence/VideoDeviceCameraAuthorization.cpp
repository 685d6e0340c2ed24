#include "evidence/VideoDeviceCameraAuthorization.h"

#include <fcntl.h>
#include <unistd.h>

namespace veyrune {

namespace {

bool isVideoNodeName(const std::string& name) {
    return name.rfind("video", 0) == 0;
}

bool opens(const std::filesystem::path& node) {
    // Non-blocking so a busy device answers at once; nothing is read.
    int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

VideoDeviceCameraAuthorization::VideoDeviceCameraAuthorization(std::filesystem::path deviceFolder)
    : deviceFolder_(std::move(deviceFolder)) {}

CameraAuthorizationStatus VideoDeviceCameraAuthorization::status() const {
    std::error_code ec;
    std::filesystem::directory_iterator it(deviceFolder_, ec);
    if (ec) {
        return CameraAuthorizationStatus::notDetermined;
    }
    bool sawNode = false;
    for (const auto& entry : it) {
        if (!isVideoNodeName(entry.path().filename().string())) {
            continue;
        }
        sawNode = true;
        if (opens(entry.path())) {
            return CameraAuthorizationStatus::authorized;
        }
    }
    return sawNode ? CameraAuthorizationStatus::denied : CameraAuthorizationStatus::notDetermined;
}

void VideoDeviceCameraAuthorization::requestAccess(std::function<void(bool granted)> answer) {
    answer(status() == CameraAuthorizationStatus::authorized);
}

}  // namespace veyrune
