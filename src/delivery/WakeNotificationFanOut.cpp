#include "delivery/WakeNotificationFanOut.h"

namespace veyrune {

class WakeNotificationFanOut::Branch final : public WakeNotificationSource {
  public:
    Branch(std::shared_ptr<Observers> observers, std::size_t index)
        : observers_(std::move(observers)), index_(index) {}

    void observeWake(std::function<void()> handler) override {
        std::lock_guard lock(observers_->mutex);
        observers_->handlers[index_] = std::move(handler);
    }
    void stopObservingWake() override {
        std::lock_guard lock(observers_->mutex);
        observers_->handlers[index_] = nullptr;
    }

  private:
    std::shared_ptr<Observers> observers_;
    std::size_t index_;
};

WakeNotificationFanOut::WakeNotificationFanOut(WakeNotificationSource& source)
    : source_(source), observers_(std::make_shared<Observers>()) {
    source_.observeWake([weak = std::weak_ptr<Observers>(observers_)] {
        auto observers = weak.lock();
        if (!observers) {
            return;
        }
        std::vector<std::function<void()>> handlers;
        {
            std::lock_guard lock(observers->mutex);
            handlers = observers->handlers;
        }
        // Called outside the lock: a handler may stop observing.
        for (const auto& handler : handlers) {
            if (handler) {
                handler();
            }
        }
    });
}

WakeNotificationFanOut::~WakeNotificationFanOut() {
    source_.stopObservingWake();
}

WakeNotificationSource& WakeNotificationFanOut::branch() {
    std::lock_guard lock(observers_->mutex);
    observers_->handlers.emplace_back();
    branches_.push_back(std::make_unique<Branch>(observers_, observers_->handlers.size() - 1));
    return *branches_.back();
}

}  // namespace veyrune
