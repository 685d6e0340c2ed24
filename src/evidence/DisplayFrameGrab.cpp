#include "evidence/DisplayFrameGrab.h"

namespace veyrune {

void DisplayFrameGrab::start(ScreenSource& source, CaptureTimerScheduling& timers,
                             std::shared_ptr<SerialQueue> queue, const ScreenDisplay& display,
                             Resume resume) {
    auto grab = std::make_shared<DisplayFrameGrab>(source, queue, std::move(resume));
    queue->post([grab, &timers, display] { grab->begin(timers, display); });
}

DisplayFrameGrab::DisplayFrameGrab(ScreenSource& source, std::shared_ptr<SerialQueue> queue,
                                   Resume resume)
    : source_(source), queue_(std::move(queue)), resume_(std::move(resume)) {}

void DisplayFrameGrab::begin(CaptureTimerScheduling& timers, const ScreenDisplay& display) {
    auto self = shared_from_this();
    // The time-out holds the grab: without a frame it is what ends it.
    timeout_ = timers.schedule(*queue_, timeout, [self] { self->timedOut(); });
    std::weak_ptr<DisplayFrameGrab> weak = self;
    // A stream that cannot start delivers nothing; the time-out then ends the grab.
    stream_ =
        source_.startStream(display, [weak, queue = queue_](std::optional<ScreenFrame> frame) {
            queue->post([weak, frame = std::move(frame)] {
                if (auto grab = weak.lock()) {
                    grab->frameArrived(frame);
                }
            });
        });
}

void DisplayFrameGrab::frameArrived(std::optional<ScreenFrame> frame) {
    if (handled_ || !frame || !*frame) {
        return;  // a frame without a picture: wait for the next one
    }
    timeout_->cancel();
    finish(std::move(frame));
}

void DisplayFrameGrab::timedOut() {
    if (!handled_) {
        finish(std::nullopt);
    }
}

void DisplayFrameGrab::finish(std::optional<ScreenFrame> frame) {
    handled_ = true;
    if (stream_) {
        stream_->stop();
        stream_.reset();
    }
    auto resume = std::move(resume_);
    resume(std::move(frame));
}

}  // namespace veyrune
