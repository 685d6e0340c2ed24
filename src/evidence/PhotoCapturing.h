#pragma once

#include <filesystem>
#include <functional>
#include <optional>

namespace veyrune {

// Takes one camera photo into the evidence folder; what the application model
// needs of the camera capturer.
class PhotoCapturing {
  public:
    // The saved file, or nothing when the capture failed.
    using Completion = std::function<void(std::optional<std::filesystem::path>)>;

    virtual ~PhotoCapturing() = default;
    // Any thread; returns at once. `completion` runs once on the main queue.
    virtual void capturePhoto(Completion completion) = 0;
};

}  // namespace veyrune
