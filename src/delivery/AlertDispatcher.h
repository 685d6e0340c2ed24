#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "base/Clock.h"
#include "base/SerialQueue.h"
#include "base/TaskPool.h"
#include "delivery/AlertBurstCoalescer.h"
#include "delivery/DeliveryTimerScheduling.h"

namespace veyrune {

// The serial front of the coalescer: takes alert candidates, runs the one-shot
// burst timer, and hands every released alert to delivery through `enqueue`.
// All decisions run on `queue`; enqueueing runs on `tasks`, one event of a
// release after the other. The queue, clock, timer and tasks must outlive it;
// callbacks hold it weakly.
class AlertDispatcher : public std::enable_shared_from_this<AlertDispatcher> {
  public:
    // Hands one event to delivery; calls `done` once (any thread) when finished.
    using Enqueue = std::function<void(SecurityEvent event, std::function<void()> done)>;

    static constexpr const char* queueLabel = "Veyrune.AlertDispatcher";

    static std::shared_ptr<AlertDispatcher> make(std::unique_ptr<AlertBurstCoalescer> coalescer,
                                                 Enqueue enqueue, SerialQueue& queue,
                                                 const Clock& clock, DeliveryTimerScheduling& timer,
                                                 TaskPool& tasks);
    ~AlertDispatcher();
    AlertDispatcher(const AlertDispatcher&) = delete;
    AlertDispatcher& operator=(const AlertDispatcher&) = delete;

    // Returns at once; the candidate is offered later on the queue. Any thread.
    void submit(AlertCandidate candidate);
    // Flushes every open group and calls `completion` (any thread) once each
    // resulting event's `enqueue` has completed. Any thread.
    void flushForSleep(std::function<void()> completion);

  private:
    AlertDispatcher(std::unique_ptr<AlertBurstCoalescer> coalescer, Enqueue enqueue,
                    SerialQueue& queue, const Clock& clock, DeliveryTimerScheduling& timer,
                    TaskPool& tasks);

    void rescheduleTimer();
    void timerFired();
    void release(const std::vector<PendingAlert>& alerts, std::function<void()> completion);

    std::unique_ptr<AlertBurstCoalescer> coalescer_;
    Enqueue enqueue_;
    SerialQueue& queue_;
    const Clock& clock_;
    DeliveryTimerScheduling& timer_;
    TaskPool& tasks_;
};

}  // namespace veyrune
