#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "base/Clock.h"
#include "base/SerialQueue.h"
#include "base/TaskPool.h"
#include "delivery/DeliveryChannel.h"
#include "delivery/DeliveryEnqueueOutcome.h"
#include "delivery/DeliveryRetryPolicy.h"
#include "delivery/DeliveryTimerScheduling.h"
#include "outbox/DeliveryQueueSummary.h"
#include "outbox/OutboxStore.h"
#include "system/NetworkPathMonitor.h"
#include "system/WakeNotificationSource.h"

namespace veyrune {

// Turns alert events into outbox records, one per enabled and configured
// channel, and works the outbox with a fixed retry schedule. Every decision runs
// on `queue` ("Veyrune.Delivery"). What may block runs on `blockingIO` and
// reports back to the queue: the sends, at most `maximumSendsInFlight` at a
// time per channel, and the channels' configuration checks, which read the
// keyring. So a stalled server or keyring never stops the queue, and a stalled
// server of one channel never holds back the other. Callbacks hold the manager
// weakly. The collaborators must outlive the manager.
class DeliveryManager : public std::enable_shared_from_this<DeliveryManager> {
  public:
    static constexpr const char* queueLabel = "Veyrune.Delivery";
    static constexpr std::size_t attemptBatchSize = 500;
    // Per channel: claimed records beyond this wait on the queue for a send of
    // their channel to end. Both channels together keep half of the blocking
    // pool free for the keyring and the files.
    static constexpr std::size_t maximumSendsInFlight = 2;

    using Channels = std::map<DeliveryChannelKind, std::shared_ptr<DeliveryChannel>>;
    using EnabledChannels = std::function<std::set<DeliveryChannelKind>()>;

    struct Dependencies {
        OutboxStore& outboxStore;
        SerialQueue& queue;
        Channels channels;
        EnabledChannels enabledChannels;
        Clock& clock;
        DeliveryTimerScheduling& timerScheduler;
        // The blocking-I/O pool, never the pool whose threads carry the serial
        // queues (see AsioTaskPool).
        TaskPool& blockingIO;
        NetworkPathMonitor* monitor = nullptr;  // none: the network is never watched
        DeliveryRetryPolicy retryPolicy = {};
    };

    static std::shared_ptr<DeliveryManager> create(Dependencies dependencies);
    ~DeliveryManager();
    DeliveryManager(const DeliveryManager&) = delete;
    DeliveryManager& operator=(const DeliveryManager&) = delete;

    // Recovers sends interrupted by an earlier run and schedules the next
    // attempt, synchronously on the queue; then watches the network if asked.
    void start(bool monitoringNetwork);
    // Runs a processing pass after every wake.
    void observeWake(WakeNotificationSource& source);

    // Any thread; `completion` runs on the queue with the outcome.
    void enqueueWithOutcome(const SecurityEvent& event,
                            std::function<void(DeliveryEnqueueOutcome)> completion = nullptr);
    void flushNow();
    void channelsChanged();
    void retry(const Uuid& eventID);

    // Termination, any thread but the queue's: waits until the passes posted
    // so far have run and their sends have ended, or until `deadline`; then
    // cuts the sends still in flight short and starts no other. A send cut
    // short counts as not made: its record stays claimed and goes out after
    // the next start. Idempotent.
    void stop(std::chrono::steady_clock::time_point deadline);

    // Any thread: no pending or sending record as last counted.
    bool isQueueEmpty() const;
    // Synchronous hops onto the queue.
    DeliveryQueueSummary queueSummary();
    OutboxStore::AttemptsByEvent deliveryAttempts(const std::vector<Uuid>& eventIDs);

  private:
    explicit DeliveryManager(Dependencies dependencies);

    struct Send {
        OutboxRecord record;
        std::shared_ptr<DeliveryChannel> channel;
        SecurityEvent event;
    };

    // All below run on the queue.
    void decideEnqueue(const SecurityEvent& event, const std::set<DeliveryChannelKind>& configured,
                       const std::function<void(DeliveryEnqueueOutcome)>& completion);
    DeliveryEnqueueOutcome enqueue(const SecurityEvent& event,
                                   const std::set<DeliveryChannelKind>& configured);
    void processDueDeliveries();
    // Starts waiting sends while fewer than the maximum of their channel are
    // in flight; ends those whose channel was switched off since their claim.
    void startWaitingSends();
    void send(Send next);
    void sendEnded(const OutboxRecord& record, DeliveryResult result);
    void handleResult(const OutboxRecord& record, DeliveryResult result);
    void scheduleNextAttempt();
    void recoverInterruptedSends();
    void handlePathUpdate(bool satisfied);
    void recountPending();
    // After a store operation: marks the storage available or unavailable and
    // recounts and reschedules, or zeroes the count and stops the timer.
    void storageSucceeded();
    void storageFailed();
    void setPendingCount(std::int64_t count);
    void publishOutstandingSends();
    // Any thread: the channels forget the old network.
    void networkChanged();
    // Posts `work` to the queue, run only while the manager lives.
    void postWeakly(std::function<void(DeliveryManager&)> work);

    Dependencies deps_;
    WakeNotificationSource* wakeSource_ = nullptr;  // queue only (and the destructor)
    bool networkIsSatisfied_ = false;               // queue only
    DeliveryStorageAvailability storageAvailability_ =
        DeliveryStorageAvailability::available;                     // queue only
    std::map<DeliveryChannelKind, std::deque<Send>> waitingSends_;  // queue only
    std::map<DeliveryChannelKind, std::size_t> sendsInFlight_;      // queue only
    mutable std::mutex pendingCountMutex_;
    std::int64_t pendingCount_ = 0;  // guarded by pendingCountMutex_
    // What stop() waits for: the queue reaching its marker, and the claimed
    // records, waiting or in flight, as counted on the queue.
    std::mutex sendsMutex_;
    std::condition_variable sendsChanged_;
    bool stopMarkerRan_ = false;          // guarded by sendsMutex_
    std::size_t outstandingSends_ = 0;    // guarded by sendsMutex_
    std::atomic<bool> stopping_ = false;  // set once by stop()
};

}  // namespace veyrune
