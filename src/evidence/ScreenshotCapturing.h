#pragma once

#include <filesystem>
#include <functional>
#include <optional>

namespace veyrune {

// Takes one screenshot into the evidence folder; what the application model
// needs of the screenshot capturer.
class ScreenshotCapturing {
  public:
    enum class Mode { primaryOnly, allDisplaysStitched };

    struct CaptureOutcome {
        std::filesystem::path url;
        int displayCount = 0;  // frames in the image, not displays attempted
        bool operator==(const CaptureOutcome&) const = default;
    };

    // Nothing when the capture failed or was not permitted.
    using Completion = std::function<void(std::optional<CaptureOutcome>)>;

    virtual ~ScreenshotCapturing() = default;
    // Any thread. `completion` runs once on the main queue.
    virtual void capture(Mode mode, Completion completion) = 0;
};

}  // namespace veyrune
