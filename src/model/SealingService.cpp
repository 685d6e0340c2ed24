#include "model/SealingService.h"

#include <exception>

namespace veyrune {

namespace {

// After a failed tick the key's epoch is still behind: try again later
// instead of at once, so a full disk is not a busy loop.
constexpr double kRetrySeconds = 60;

}  // namespace

SealingService::SealingService(Sealer& sealer, SerialQueue& queue, DeliveryTimerScheduling& timer,
                               WakeNotificationSource* wake, const Clock& clock, Report report,
                               SettingsBridge* sealSwitch)
    : sealer_(sealer),
      queue_(queue),
      timer_(timer),
      wake_(wake),
      clock_(clock),
      report_(std::move(report)),
      switch_(sealSwitch) {}

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
    ++pendingSwitches_;
    queue_.post([this, shown = std::move(shown)] {
        std::optional<VerificationKey> key;
        auto failure = run([&] { key = sealer_.begin(); });
        --pendingSwitches_;
        settle(failure);
        arm();
        shown(std::move(key));
    });
}

void SealingService::disable(std::function<void()> done) {
    ++pendingSwitches_;
    queue_.post([this, done = std::move(done)] {
        auto failure = run([this] { sealer_.end(); });
        if (!failure) {
            setError({});
        }
        --pendingSwitches_;
        settle(failure);
        timer_.cancel();
        if (done) {
            done();
        }
    });
}

void SealingService::close(std::function<void()> done) {
    queue_.post([this, done = std::move(done)] {
        settle(run([this] { sealer_.close(); }));
        done();
    });
}

std::string SealingService::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool SealingService::isSealing() const {
    std::lock_guard lock(mutex_);
    return sealing_;
}

void SealingService::tickAndArm() {
    settle(run([this] { sealer_.tick(); }));
    arm();
    if (ticked_) {
        ticked_();
    }
}

void SealingService::arm() {
    std::optional<Instant> next;
    if (run([&] { next = sealer_.nextTick(); }) && isSealing()) {
        next = addSeconds(clock_.now(), kRetrySeconds);
    }
    if (!next) {
        timer_.cancel();
        return;
    }
    double delay = secondsBetween(clock_.now(), *next);
    timer_.schedule(queue_, delay > 0 ? delay : kRetrySeconds, [this] { tickAndArm(); });
}

std::optional<std::string> SealingService::run(const std::function<void()>& work) {
    try {
        work();
        return std::nullopt;
    } catch (const std::exception& failure) {
        if (report_) {
            report_(failure.what());
        }
        return failure.what();
    }
}

void SealingService::settle(std::optional<std::string> failure) {
    bool running = false;
    try {
        running = sealer_.isSealing();
    } catch (const std::exception& unreadable) {
        failure = failure.value_or(unreadable.what());
    }
    {
        std::lock_guard lock(mutex_);
        sealing_ = running;
    }
    bool settling = switch_ && pendingSwitches_ == 0;
    if (settling && !running && switch_->value(Settings::sealEventLog) && !failure) {
        failure = "The sealing key file " + sealer_.keyFilePath().string() +
                  " is gone, so nothing is sealed; switch sealing on again for a new key.";
    }
    // The error first: whoever watches the switch reads it when told.
    if (failure) {
        setError(*failure);
    } else if (running) {
        setError({});
    }
    if (settling && switch_->value(Settings::sealEventLog) != running) {
        switch_->set(Settings::sealEventLog, running);
    }
}

void SealingService::setError(const std::string& error) {
    std::lock_guard lock(mutex_);
    lastError_ = error;
}

}  // namespace veyrune
