#include "system/linux/QtMainThreadTimer.h"

namespace veyrune {

QtMainThreadTimer::QtMainThreadTimer() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(); });
}

void QtMainThreadTimer::start(std::chrono::milliseconds delay, std::function<void()> handler) {
    handler_ = std::move(handler);
    timer_.start(delay);
}

void QtMainThreadTimer::cancel() {
    timer_.stop();
    handler_ = nullptr;
}

void QtMainThreadTimer::fire() {
    // Taken first: the handler may start the timer again.
    auto handler = std::move(handler_);
    handler_ = nullptr;
    if (handler) {
        handler();
    }
}

}  // namespace veyrune
