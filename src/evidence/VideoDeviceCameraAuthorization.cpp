#include "evidence/VideoDeviceCameraAuthorization.h"

#include <linux/videodev2.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace veyrune {

namespace {

// "video" followed by the device number; /dev/video alone is an old alias.
bool isVideoNodeName(const std::string& name) {
    constexpr std::string_view prefix = "video";
    return name.size() > prefix.size() && name.starts_with(prefix) &&
           std::all_of(name.begin() + prefix.size(), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

bool capturesVideo(std::uint32_t capabilities) {
    return (capabilities & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0;
}

bool refusedByPermissions(int error) {
    return error == EACCES || error == EPERM;
}

}  // namespace

VideoDeviceCameraAuthorization::VideoDeviceCameraAuthorization(const VideoCapabilityQuery& query,
                                                               std::filesystem::path deviceFolder)
    : query_(query), deviceFolder_(std::move(deviceFolder)) {}

std::vector<VideoDeviceCameraAuthorization::NodeStamp> VideoDeviceCameraAuthorization::stampNodes()
    const {
    std::vector<NodeStamp> nodes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(deviceFolder_, ec)) {
        if (!isVideoNodeName(entry.path().filename().string())) {
            continue;
        }
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) != 0) {
            continue;  // gone since the listing
        }
        using Number = long long;
        nodes.push_back(
            {entry.path(),
             {Number(info.st_ino), Number(info.st_rdev), Number(info.st_mode), Number(info.st_uid),
              Number(info.st_gid), Number(info.st_ctim.tv_sec), Number(info.st_ctim.tv_nsec)}});
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const NodeStamp& a, const NodeStamp& b) { return a.path < b.path; });
    return nodes;
}

CameraAuthorizationStatus VideoDeviceCameraAuthorization::decide(
    const std::vector<NodeStamp>& nodes) const {
    bool refused = false;
    for (const auto& node : nodes) {
        VideoNodeQuery answer = query_.query(node.path);
        if (answer.openError != 0) {
            // A node that refuses to open may well be the camera.
            refused = refused || refusedByPermissions(answer.openError);
            continue;
        }
        if (!answer.capabilities || !capturesVideo(*answer.capabilities)) {
            continue;  // not a V4L2 device, or metadata or output only
        }
        if (answer.readWrite) {
            return CameraAuthorizationStatus::authorized;
        }
        refused = true;
    }
    return refused ? CameraAuthorizationStatus::denied : CameraAuthorizationStatus::notDetermined;
}

CameraAuthorizationStatus VideoDeviceCameraAuthorization::status() const {
    auto nodes = stampNodes();
    {
        std::lock_guard lock(mutex_);
        if (cachedNodes_ == nodes) {
            return cachedStatus_;
        }
    }
    auto decided = decide(nodes);  // opens devices: outside the lock
    std::lock_guard lock(mutex_);
    cachedNodes_ = std::move(nodes);
    cachedStatus_ = decided;
    return decided;
}

void VideoDeviceCameraAuthorization::requestAccess(std::function<void(bool granted)> answer) {
    answer(status() == CameraAuthorizationStatus::authorized);
}

}  // namespace veyrune
