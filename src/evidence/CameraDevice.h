#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veyrune {

struct PhotoDimensions {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const PhotoDimensions&) const = default;
};

// The answers of one photo request. Either may come on any thread.
struct PhotoCallbacks {
    // The encoded photo, or nothing with an error text.
    std::function<void(std::optional<std::string> data, std::optional<std::string> error)>
        photoProcessed;
    // The shot is over; an error text when it failed.
    std::function<void(std::optional<std::string> error)> captureFinished;
};

// An opened camera with its input and still-photo output attached, set to
// automatic exposure, white balance and focus. Called from the capturer's queue.
class CameraSession {
  public:
    virtual ~CameraSession() = default;
    // Largest photo sizes the current format offers, in the platform's order.
    virtual std::vector<PhotoDimensions> supportedPhotoDimensions() const = 0;
    virtual void setMaxPhotoDimensions(PhotoDimensions dimensions) = 0;
    virtual void startRunning() = 0;
    // Idempotent; no callback of this session matters after it.
    virtual void stopRunning() = 0;
    virtual void capturePhoto(std::optional<PhotoDimensions> dimensions,
                              PhotoCallbacks callbacks) = 0;
};

// The default video camera.
class CameraDevice {
  public:
    virtual ~CameraDevice() = default;
    // A configured session on the default camera; null when there is no
    // camera or it cannot be set up.
    virtual std::unique_ptr<CameraSession> openDefault() = 0;
};

// Brightens an encoded photo and re-encodes it as JPEG; data it cannot decode
// comes back as it came. Any thread.
class PhotoAdjusting {
  public:
    virtual ~PhotoAdjusting() = default;
    virtual std::string adjust(const std::string& photoData) = 0;
};

// The largest-area size with both sides positive; the first wins a tie.
std::optional<PhotoDimensions> largestPhotoDimensions(const std::vector<PhotoDimensions>& sizes);

}  // namespace veyrune
