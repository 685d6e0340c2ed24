#include "system/DisplaySleepTransitionClock.h"

namespace veyrune {

std::shared_ptr<DisplaySleepTransitionClock> DisplaySleepTransitionClock::make(Clock& clock) {
    return std::shared_ptr<DisplaySleepTransitionClock>(new DisplaySleepTransitionClock(clock));
}

DisplaySleepTransitionClock::~DisplaySleepTransitionClock() {
    if (source_ && observer_) {
        source_->removeObserver(*observer_);
    }
}

void DisplaySleepTransitionClock::start(DisplaySleepSource& source) {
    DisplaySleepSource* oldSource = nullptr;
    std::optional<DisplaySleepSource::ObserverID> oldObserver;
    {
        std::lock_guard lock(mutex_);
        oldSource = std::exchange(source_, nullptr);
        oldObserver = std::exchange(observer_, std::nullopt);
    }
    // The source is called outside the lock: it may notify while registering.
    if (oldSource && oldObserver) {
        oldSource->removeObserver(*oldObserver);
    }
    std::weak_ptr<DisplaySleepTransitionClock> weakSelf = weak_from_this();
    auto id = source.addObserver([weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->displaysDidSleep();
        }
    });
    std::lock_guard lock(mutex_);
    source_ = &source;
    observer_ = id;
}

std::optional<Instant> DisplaySleepTransitionClock::displaySleptAt() const {
    std::lock_guard lock(mutex_);
    return displaySleptAt_;
}

void DisplaySleepTransitionClock::displaysDidSleep() {
    const Instant now = clock_.now();
    std::lock_guard lock(mutex_);
    displaySleptAt_ = now;
}

}  // namespace veyrune
