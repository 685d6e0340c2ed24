#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "evidence/CaptureTimerScheduling.h"
#include "evidence/ScreenSource.h"

namespace veyrune {

// Takes the first usable frame of one display, or gives up after 5 seconds.
// Everything runs on `queue`; `resume` is called exactly once, on `queue`,
// by whichever comes first. Create with `start`; the grab keeps itself alive
// until it has resumed.
class DisplayFrameGrab : public std::enable_shared_from_this<DisplayFrameGrab> {
  public:
    static constexpr std::chrono::milliseconds timeout{5000};

    using Resume = std::function<void(std::optional<ScreenFrame>)>;

    // The queue is shared with the platform's frame callback, which may come
    // after the grab is over.
    static void start(ScreenSource& source, CaptureTimerScheduling& timers,
                      std::shared_ptr<SerialQueue> queue, const ScreenDisplay& display,
                      Resume resume);

    DisplayFrameGrab(ScreenSource& source, std::shared_ptr<SerialQueue> queue, Resume resume);

  private:
    void begin(CaptureTimerScheduling& timers, const ScreenDisplay& display);
    void frameArrived(std::optional<ScreenFrame> frame);
    void timedOut();
    void finish(std::optional<ScreenFrame> frame);

    ScreenSource& source_;
    std::shared_ptr<SerialQueue> queue_;
    Resume resume_;
    bool handled_ = false;
    std::unique_ptr<ScreenFrameStream> stream_;
    std::shared_ptr<CaptureTimer> timeout_;
};

}  // namespace veyrune
