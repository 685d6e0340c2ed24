#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "evidence/CameraAuthorization.h"
#include "evidence/VideoCapabilityQuery.h"

namespace veyrune {

// Camera access on Linux is access to a video capture node (/dev/video<N>).
// A node counts only when VIDIOC_QUERYCAP says it captures video, so metadata
// nodes and output-only loopback nodes do not. Authorized when this process
// may read and write such a node; denied when a camera node exists but may
// not be used, or a video node refuses even to be opened for the query;
// notDetermined when there is no camera at all. Nothing can be asked for, so
// `requestAccess` answers with the current state at once.
//
// The answer is kept while the nodes stay as they were (same names, inodes,
// modes, owners and change times, which ACL changes also move), so frequent
// refreshes only list and stat /dev. Any thread.
class VideoDeviceCameraAuthorization final : public CameraAuthorization {
  public:
    // `query` must outlive this object.
    explicit VideoDeviceCameraAuthorization(const VideoCapabilityQuery& query,
                                            std::filesystem::path deviceFolder = "/dev");

    CameraAuthorizationStatus status() const override;
    void requestAccess(std::function<void(bool granted)> answer) override;

  private:
    struct NodeStamp {
        std::filesystem::path path;
        std::vector<long long> identity;  // inode, device, mode, owner, group, change time
        bool operator==(const NodeStamp&) const = default;
    };
    std::vector<NodeStamp> stampNodes() const;
    CameraAuthorizationStatus decide(const std::vector<NodeStamp>& nodes) const;

    const VideoCapabilityQuery& query_;
    std::filesystem::path deviceFolder_;
    mutable std::mutex mutex_;
    mutable std::optional<std::vector<NodeStamp>> cachedNodes_;  // guarded by mutex_
    mutable CameraAuthorizationStatus cachedStatus_{};           // guarded by mutex_
};

}  // namespace veyrune
