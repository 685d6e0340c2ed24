#include "evidence/CameraCapturer.h"

namespace veyrune {

std::optional<PhotoDimensions> largestPhotoDimensions(const std::vector<PhotoDimensions>& sizes) {
    std::optional<PhotoDimensions> best;
    for (const auto& size : sizes) {
        if (size.width <= 0 || size.height <= 0) {
            continue;
        }
        auto area = [](PhotoDimensions d) { return std::int64_t(d.width) * d.height; };
        if (!best || area(size) > area(*best)) {
            best = size;
        }
    }
    return best;
}

std::shared_ptr<CameraCapturer> CameraCapturer::make(Collaborators collaborators) {
    return std::make_shared<CameraCapturer>(collaborators);
}

CameraCapturer::CameraCapturer(Collaborators collaborators) : c_(collaborators) {}

CameraCapturer::~CameraCapturer() {
    // Every callback holds the capturer weakly, so no other thread reaches
    // these fields any more.
    if (completion_ && !completionHandled_) {
        c_.mainQueue.post([completion = std::move(*completion_)] { completion(std::nullopt); });
    }
    if (session_ || timeout_ || warmUp_) {
        std::shared_ptr<CameraSession> session = std::move(session_);
        c_.queue.post([session, timeout = timeout_, warmUp = warmUp_] {
            for (const auto& timer : {timeout, warmUp}) {
                if (timer) {
                    timer->cancel();
                }
            }
            if (session) {
                session->stopRunning();
            }
        });
    }
}

void CameraCapturer::capturePhoto(Completion completion) {
    std::weak_ptr<CameraCapturer> weak = weak_from_this();
    c_.queue.post([weak, completion = std::move(completion), &mainQueue = c_.mainQueue] {
        if (auto self = weak.lock()) {
            self->start(completion);
        } else {
            mainQueue.post([completion] { completion(std::nullopt); });
        }
    });
}

std::function<void()> CameraCapturer::onQueue(std::uint64_t generation,
                                              std::function<void(CameraCapturer&)> work) {
    std::weak_ptr<CameraCapturer> weak = weak_from_this();
    return [weak, generation, work = std::move(work)] {
        auto self = weak.lock();
        if (self && self->generation_ == generation) {
            work(*self);
        }
    };
}

void CameraCapturer::stopSessionAndTimers() {
    if (timeout_) {
        timeout_->cancel();
        timeout_.reset();
    }
    if (warmUp_) {
        warmUp_->cancel();
        warmUp_.reset();
    }
    if (session_) {
        session_->stopRunning();
        session_.reset();
    }
}

void CameraCapturer::reset(Completion completion) {
    stopSessionAndTimers();
    requestedPhotoDimensions_.reset();
    if (completion_ && !completionHandled_) {
        // The replaced requester must not wait forever.
        c_.mainQueue.post([earlier = std::move(*completion_)] { earlier(std::nullopt); });
    }
    completionHandled_ = false;
    completion_ = std::move(completion);
    ++generation_;
}

void CameraCapturer::start(Completion completion) {
    reset(std::move(completion));
    auto session = c_.device.openDefault();
    if (!session) {
        finish(std::nullopt);
        return;
    }
    requestedPhotoDimensions_ = largestPhotoDimensions(session->supportedPhotoDimensions());
    if (requestedPhotoDimensions_) {
        session->setMaxPhotoDimensions(*requestedPhotoDimensions_);
    }
    session_ = std::move(session);
    session_->startRunning();

    auto generation = generation_;
    timeout_ = c_.timers.schedule(c_.queue, timeout, onQueue(generation, [](CameraCapturer& self) {
                                      self.finish(std::nullopt);
                                  }));
    // The pause lets the camera settle its exposure before the shot.
    warmUp_ = c_.timers.schedule(c_.queue, warmUp, onQueue(generation, [generation](auto& self) {
                                     self.takePhoto(generation);
                                 }));
}

void CameraCapturer::takePhoto(std::uint64_t generation) {
    warmUp_.reset();
    if (!session_) {
        return;  // already finished
    }
    std::weak_ptr<CameraCapturer> weak = weak_from_this();
    PhotoCallbacks callbacks;
    callbacks.photoProcessed = [weak, generation](std::optional<std::string> data,
                                                  std::optional<std::string> error) {
        if (auto self = weak.lock()) {
            self->c_.queue.post(self->onQueue(generation, [data, error](CameraCapturer& capturer) {
                capturer.photoProcessed(data, error);
            }));
        }
    };
    callbacks.captureFinished = [weak, generation](std::optional<std::string> error) {
        if (auto self = weak.lock()) {
            self->c_.queue.post(self->onQueue(generation, [error](CameraCapturer& capturer) {
                capturer.captureFinished(error);
            }));
        }
    };
    session_->capturePhoto(requestedPhotoDimensions_, std::move(callbacks));
}

void CameraCapturer::photoProcessed(std::optional<std::string> data,
                                    std::optional<std::string> error) {
    if (completionHandled_) {
        return;
    }
    if (error || !data) {
        finish(std::nullopt);
        return;
    }
    finish(store(c_.adjuster.adjust(*data)));
}

void CameraCapturer::captureFinished(std::optional<std::string> error) {
    // Without an error the processed photo finishes the request.
    if (error) {
        finish(std::nullopt);
    }
}

std::optional<std::filesystem::path> CameraCapturer::store(const std::string& data) {
    try {
        return c_.library.writeEvidence(c_.clock.now(), "jpg", data);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

void CameraCapturer::finish(std::optional<std::filesystem::path> url) {
    if (completionHandled_) {
        return;  // a late time-out, callback or second error
    }
    completionHandled_ = true;
    stopSessionAndTimers();
    if (completion_) {
        c_.mainQueue.post([completion = std::move(*completion_), url] { completion(url); });
        completion_.reset();
    }
}

}  // namespace veyrune
