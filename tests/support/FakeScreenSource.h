#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "evidence/ScreenSource.h"

namespace veyrune::test {

class FakeScreenImage final : public ScreenImage {
  public:
    FakeScreenImage(int width, int height, std::string name)
        : width_(width), height_(height), name_(std::move(name)) {}
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::string& name() const { return name_; }

  private:
    int width_;
    int height_;
    std::string name_;
};

inline ScreenFrame fakeFrame(int width, int height, std::string name) {
    return std::make_shared<FakeScreenImage>(width, height, std::move(name));
}

inline std::string frameName(const ScreenFrame& frame) {
    return static_cast<const FakeScreenImage&>(*frame).name();
}

// Scripted screens. A display listed in `framesOnStart` delivers those frames
// as soon as its stream starts; any other display delivers only what the test
// sends with `deliver`. Used from one thread.
class FakeScreenSource final : public ScreenSource {
  public:
    bool permission = true;
    ScreenGrabScope scope = ScreenGrabScope::eachDisplay;
    std::optional<DisplayList> displayList;
    std::map<std::uint32_t, std::vector<std::optional<ScreenFrame>>> framesOnStart;
    std::set<std::uint32_t> failingStarts;
    bool failCompose = false;
    bool failEncode = false;

    std::vector<std::uint32_t> started;
    std::vector<ScreenDisplay> startedDisplays;
    std::map<std::uint32_t, int> stops;
    std::optional<StitchLayout> composedLayout;

    ScreenGrabScope grabScope() const override { return scope; }
    bool hasCapturePermission() override { return permission; }
    ScreenCaptureAccess captureAccess() override {
        return permission ? ScreenCaptureAccess::granted : ScreenCaptureAccess::notGranted;
    }
    void loadDisplays(std::function<void(std::optional<DisplayList>)> done) override {
        done(displayList);
    }
    std::unique_ptr<ScreenFrameStream> startStream(
        const ScreenDisplay& display,
        std::function<void(std::optional<ScreenFrame>)> onFrame) override {
        started.push_back(display.displayID);
        startedDisplays.push_back(display);
        if (failingStarts.contains(display.displayID)) {
            return nullptr;
        }
        listeners_[display.displayID] = onFrame;
        for (const auto& frame : framesOnStart[display.displayID]) {
            onFrame(frame);
        }
        return std::make_unique<Stream>(stops[display.displayID]);
    }
    // Sends a frame from the display's stream, as a late platform callback would.
    void deliver(std::uint32_t displayID, std::optional<ScreenFrame> frame) {
        listeners_.at(displayID)(std::move(frame));
    }
    std::optional<ScreenFrame> compose(const StitchLayout& layout,
                                       const std::vector<ScreenFrame>& frames) override {
        if (failCompose) {
            return std::nullopt;
        }
        composedLayout = layout;
        std::string name = "stitched";
        for (const auto& frame : frames) {
            name += ":" + frameName(frame);
        }
        return fakeFrame(layout.width, layout.height, name);
    }
    std::optional<std::string> encodePNG(const ScreenFrame& frame) override {
        if (failEncode) {
            return std::nullopt;
        }
        return "png " + frameName(frame);
    }

  private:
    class Stream final : public ScreenFrameStream {
      public:
        explicit Stream(int& stops) : stops_(stops) {}
        void stop() override { ++stops_; }

      private:
        int& stops_;
    };
    std::map<std::uint32_t, std::function<void(std::optional<ScreenFrame>)>> listeners_;
};

}  // namespace veyrune::test
