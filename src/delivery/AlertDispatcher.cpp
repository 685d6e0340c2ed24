#include "delivery/AlertDispatcher.h"

#include <algorithm>

namespace veyrune {

namespace {

// The events of one release, enqueued strictly one after another.
struct EnqueueRun {
    std::vector<SecurityEvent> events;
    AlertDispatcher::Enqueue enqueue;
    TaskPool* tasks;
    std::function<void()> completion;
};

void enqueueFrom(const std::shared_ptr<EnqueueRun>& run, std::size_t index) {
    if (index == run->events.size()) {
        if (run->completion) {
            run->completion();
        }
        return;
    }
    // The next step goes back to the pool, whatever thread `done` comes on.
    run->enqueue(run->events[index],
                 [run, index] { run->tasks->run([run, index] { enqueueFrom(run, index + 1); }); });
}

}  // namespace

std::shared_ptr<AlertDispatcher> AlertDispatcher::make(
    std::unique_ptr<AlertBurstCoalescer> coalescer, Enqueue enqueue, SerialQueue& queue,
    const Clock& clock, DeliveryTimerScheduling& timer, TaskPool& tasks) {
    return std::shared_ptr<AlertDispatcher>(
        new AlertDispatcher(std::move(coalescer), std::move(enqueue), queue, clock, timer, tasks));
}

AlertDispatcher::AlertDispatcher(std::unique_ptr<AlertBurstCoalescer> coalescer, Enqueue enqueue,
                                 SerialQueue& queue, const Clock& clock,
                                 DeliveryTimerScheduling& timer, TaskPool& tasks)
    : coalescer_(std::move(coalescer)),
      enqueue_(std::move(enqueue)),
      queue_(queue),
      clock_(clock),
      timer_(timer),
      tasks_(tasks) {}

AlertDispatcher::~AlertDispatcher() {
    timer_.cancel();
}

void AlertDispatcher::submit(AlertCandidate candidate) {
    queue_.post([weakSelf = weak_from_this(), candidate = std::move(candidate)] {
        if (auto self = weakSelf.lock()) {
            self->release(self->coalescer_->offer(candidate, self->clock_.now()), nullptr);
            self->rescheduleTimer();
        }
    });
}

void AlertDispatcher::flushForSleep(std::function<void()> completion) {
    if (!completion) {
        completion = [] {};  // calling an empty one would throw inside a queue handler
    }
    queue_.post([weakSelf = weak_from_this(), completion = std::move(completion)] {
        auto self = weakSelf.lock();
        if (!self) {
            completion();
            return;
        }
        auto alerts = self->coalescer_->flushAll();
        self->timer_.cancel();
        if (alerts.empty()) {
            completion();
            return;
        }
        self->release(alerts, completion);
    });
}

void AlertDispatcher::rescheduleTimer() {
    const Instant now = clock_.now();
    auto date = coalescer_->nextFlushDate(now);
    if (!date) {
        timer_.cancel();
        return;
    }
    timer_.schedule(queue_, std::max(0.0, secondsBetween(now, *date)),
                    [weakSelf = weak_from_this()] {
                        if (auto self = weakSelf.lock()) {
                            self->timerFired();
                        }
                    });
}

void AlertDispatcher::timerFired() {
    release(coalescer_->flushDue(clock_.now()), nullptr);
    rescheduleTimer();
}

void AlertDispatcher::release(const std::vector<PendingAlert>& alerts,
                              std::function<void()> completion) {
    if (alerts.empty()) {
        return;
    }
    auto run = std::make_shared<EnqueueRun>();
    for (const auto& alert : alerts) {
        run->events.push_back(alert.deliveredEvent());
    }
    run->enqueue = enqueue_;
    run->tasks = &tasks_;
    run->completion = std::move(completion);
    tasks_.run([run] { enqueueFrom(run, 0); });
}

}  // namespace veyrune
