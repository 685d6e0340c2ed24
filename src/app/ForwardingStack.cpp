#include "app/ForwardingStack.h"

#include "base/PosixFileSystem.h"

namespace veyrune {

ForwardingStack::ForwardingStack(AsioTaskPool& queuePool, AsioTaskPool& blockingIO,
                                 const std::filesystem::path& eventLog,
                                 const std::filesystem::path& seals, std::vector<LogRoute> routes)
    : queue_(queuePool.pool(), "Veyrune.Forwarding") {
    auto folder = eventLog.parent_path() / "forwarding";
    for (auto& route : routes) {
        auto timer = std::make_unique<WallClockDeliveryTimerScheduler>(queuePool.pool());
        auto forwarder = LogForwarder::make({PosixFileSystem::shared(),
                                             {eventLog, seals, folder / (route.name + ".cursor")},
                                             queue_,
                                             blockingIO,
                                             *timer,
                                             SystemClock::shared()});
        routes_.push_back({std::move(route), std::move(timer), std::move(forwarder)});
    }
}

ForwardingStack::~ForwardingStack() {
    if (wake_) {
        wake_->stopObservingWake();
    }
    stop(std::chrono::steady_clock::now());
}

void ForwardingStack::routesChanged() {
    for (auto& running : routes_) {
        auto made = running.route.makeSink();
        if (made) {
            running.forwarder->setSink(std::move(made->sink), std::move(made->destination));
        } else {
            running.forwarder->setSink(nullptr, "");
        }
    }
}

void ForwardingStack::logWritten() {
    for (auto& running : routes_) {
        running.forwarder->poke();
    }
}

void ForwardingStack::observeWake(WakeNotificationSource& wake) {
    wake_ = &wake;
    wake.observeWake([this] {
        for (auto& running : routes_) {
            running.forwarder->retryNow();
        }
    });
}

void ForwardingStack::stop(std::chrono::steady_clock::time_point deadline) {
    for (auto& running : routes_) {
        running.forwarder->stop(deadline);
    }
}

ForwardingStatus ForwardingStack::statusOf(const std::string& name) const {
    for (const auto& running : routes_) {
        if (running.route.name == name) {
            return running.forwarder->status();
        }
    }
    return {};
}

}  // namespace veyrune
