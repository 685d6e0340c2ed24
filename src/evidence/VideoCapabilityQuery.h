#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace veyrune {

// What one video device node says about itself, learnt without streaming.
struct VideoNodeQuery {
    int openError = 0;  // errno of the read-only, non-blocking open; 0 when it opened
    // The node's own V4L2 capability bits (device_caps when the driver gives
    // them) from VIDIOC_QUERYCAP; nothing when the query failed.
    std::optional<std::uint32_t> capabilities;
    bool readWrite = false;  // this process may open it for reading and writing, as capture does

    bool operator==(const VideoNodeQuery&) const = default;
};

// Asks a video device node what it is. Any thread; quick, never streams.
class VideoCapabilityQuery {
  public:
    virtual ~VideoCapabilityQuery() = default;
    virtual VideoNodeQuery query(const std::filesystem::path& node) const = 0;
};

}  // namespace veyrune
