#include "model/SealingService.h"

#include <exception>

namespace veyrune {

namespace {

// After a failed tick the key's epoch is still behind: try again later
// instead of at once, so a full disk is not a busy loop.
constexpr double kRetrySeconds = 60;

}  // namespace

SealingService::SealingService(Sealer& sealer, SerialQueue& queue, DeliveryTimerScheduling& timer,
                               WakeNotificationSource* wake, const Clock& clock, Report report)
    : sealer_(sealer),
      queue_(queue),
      timer_(timer),
      wake_(wake),
      clock_(clock),
      report_(std::move(report)) {}

SealingService::~SealingService() {
    if (wake_) {
        wake_->stopObservingWake();
    }
    timer_.cancel();
}

void SealingService::start(std::function<void()> sealed) {
    queue_.post([this, sealed = std::move(sealed)] {
        tickAndArm();
        if (sealed) {
            sealed();
        }
    });
    if (wake_) {
        // The timer may have slept through an epoch's end.
        wake_->observeWake([this] { queue_.post([this] { tickAndArm(); }); });
    }
}

void SealingService::enable(std::function<void(std::optional<VerificationKey>)> shown) {
    queue_.post([this, shown = std::move(shown)] {
        std::optional<VerificationKey> key;
        attempt([&] { key = sealer_.begin(); });
        arm();
        shown(std::move(key));
    });
}

void SealingService::disable(std::function<void()> done) {
    queue_.post([this, done = std::move(done)] {
        attempt([this] { sealer_.end(); });
        timer_.cancel();
        if (done) {
            done();
        }
    });
}

void SealingService::close(std::function<void()> done) {
    queue_.post([this, done = std::move(done)] {
        attempt([this] { sealer_.close(); });
        done();
    });
}

std::string SealingService::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void SealingService::tickAndArm() {
    attempt([this] { sealer_.tick(); });
    arm();
}

void SealingService::arm() {
    std::optional<Instant> next;
    if (!attempt([&] { next = sealer_.nextTick(); }, false)) {
        next = addSeconds(clock_.now(), kRetrySeconds);
    }
    if (!next) {
        timer_.cancel();
        return;
    }
    double delay = secondsBetween(clock_.now(), *next);
    timer_.schedule(queue_, delay > 0 ? delay : kRetrySeconds, [this] { tickAndArm(); });
}

bool SealingService::attempt(const std::function<void()>& work, bool clearsError) {
    std::string error;
    try {
        work();
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    if (!error.empty() || clearsError) {
        std::lock_guard lock(mutex_);
        lastError_ = error;
    }
    if (!error.empty() && report_) {
        report_(error);
    }
    return error.empty();
}

}  // namespace veyrune
