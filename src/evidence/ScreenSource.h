#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "evidence/ScreenCaptureAccess.h"
#include "evidence/StitchLayout.h"

namespace veyrune {

// One display in global desktop coordinates, sized in logical pixels.
struct ScreenDisplay {
    std::uint32_t displayID = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ScreenDisplay&) const = default;
};

struct DisplayList {
    std::vector<ScreenDisplay> displays;
    std::optional<std::uint32_t> mainDisplayID;
};

// A captured picture, opaque to the capture logic except for its size.
class ScreenImage {
  public:
    virtual ~ScreenImage() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};
using ScreenFrame = std::shared_ptr<const ScreenImage>;

// A running one-display grab; `stop` ends it (any thread, more than once is fine).
class ScreenFrameStream {
  public:
    virtual ~ScreenFrameStream() = default;
    virtual void stop() = 0;
};

// What one grab covers: one display, or the whole desktop in one picture
// that stands for every display (the desktop portal takes no other kind).
enum class ScreenGrabScope { eachDisplay, wholeDesktop };

// The platform's screens and the pixel work on their pictures.
class ScreenSource {
  public:
    virtual ~ScreenSource() = default;

    virtual ScreenGrabScope grabScope() const = 0;
    // Whether this process may read the screens. May block its caller for up
    // to 2 seconds; never call it on the GUI thread.
    virtual bool hasCapturePermission() = 0;
    // What is known now, without blocking and without taking a picture: for
    // the diagnostics rows. Any thread.
    virtual ScreenCaptureAccess captureAccess() = 0;
    // The current displays; nothing when they cannot be listed. `done` runs
    // once, on any thread.
    virtual void loadDisplays(std::function<void(std::optional<DisplayList>)> done) = 0;
    // Starts delivering frames of `display` to `onFrame` (any thread, possibly
    // several times; nothing stands for a frame without a picture) until
    // stopped. Null when the grab cannot start. A whole-desktop source answers
    // with the part of its desktop picture that `display` covers, at the
    // display's logical size.
    virtual std::unique_ptr<ScreenFrameStream> startStream(
        const ScreenDisplay& display, std::function<void(std::optional<ScreenFrame>)> onFrame) = 0;
    // Draws `frames` on a transparent canvas as `layout` places them, unscaled.
    virtual std::optional<ScreenFrame> compose(const StitchLayout& layout,
                                               const std::vector<ScreenFrame>& frames) = 0;
    virtual std::optional<std::string> encodePNG(const ScreenFrame& frame) = 0;
};

}  // namespace veyrune
