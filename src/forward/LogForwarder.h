#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/FileSystem.h"
#include "base/SerialQueue.h"
#include "base/TaskPool.h"
#include "delivery/DeliveryTimerScheduling.h"
#include "forward/ForwardCursor.h"
#include "forward/ForwardingStatus.h"
#include "forward/LineSink.h"
#include "forward/LogTail.h"

namespace veyrune {

// Hands the event log and the seals file on to one route's LineSink, the
// logs themselves being the queue: a durable cursor says what the sink has
// taken, everything after it goes out in order (a pass's seal lines after its
// event lines), and a line goes out twice only when a crash or a broken
// session fell between its send and its acknowledgement. Nothing runs while
// nothing is new: poke() after each write, retryNow() after a wake; after a
// failure a timer retries with a capped backoff. Decisions run on `queue`;
// reads, sends and cursor writes on `blockingIO`, one pass at a time. Create
// with make(); callbacks hold it weakly; the collaborators must outlive it.
class LogForwarder : public std::enable_shared_from_this<LogForwarder> {
  public:
    static constexpr std::size_t batchLines = 500;
    static constexpr double firstRetrySeconds = 2;
    static constexpr double longestRetrySeconds = 300;

    struct Paths {
        std::filesystem::path events;
        std::filesystem::path seals;
        std::filesystem::path cursor;  // this route's own
    };
    struct Dependencies {
        FileSystem& files;
        Paths paths;
        SerialQueue& queue;
        TaskPool& blockingIO;  // never the pool that carries the queues
        DeliveryTimerScheduling& timer;
        const Clock& clock;
    };

    static std::shared_ptr<LogForwarder> make(Dependencies dependencies);
    ~LogForwarder();
    LogForwarder(const LogForwarder&) = delete;
    LogForwarder& operator=(const LogForwarder&) = delete;

    // Any thread. Routes the logs to `sink` (nothing: the route is off),
    // cancelling a send to the one before. A `destination` other than the
    // cursor's starts from the logs' first lines.
    void setSink(std::shared_ptr<LineSink> sink, std::string destination);
    // Any thread: something was written to a log.
    void poke();
    // Any thread: try at once, also while waiting to retry (after a wake).
    void retryNow();
    // Any thread; never blocks on the network.
    ForwardingStatus status() const;
    // Termination, any thread but the queue's: waits for the pass in flight
    // until `deadline`, then cancels the sink and starts nothing more.
    void stop(std::chrono::steady_clock::time_point deadline);

  private:
    struct Outcome {
        std::size_t taken = 0;
        bool more = false;
        std::optional<std::string> error;
        std::uint64_t waiting = 0;
        bool reached = false;  // the sink answered
    };
    // Pass state: touched only by the one pass in flight.
    struct Progress {
        ForwardCursor cursor;
        bool loaded = false;
        bool unsaved = false;
        // Per log: the offset up to which line ends were counted, and how
        // many of them lie after the cursor.
        std::uint64_t eventsCounted = 0;
        std::uint64_t eventsWaiting = 0;
        std::uint64_t sealsCounted = 0;
        std::uint64_t sealsWaiting = 0;
    };

    explicit LogForwarder(Dependencies dependencies);

    // Queue only.
    void startPass();
    void passEnded(std::uint64_t generation, const Outcome& outcome);
    void retryLater();
    // While waiting to retry: counts what waits, sending nothing.
    void recount();
    void recountEnded(std::uint64_t generation, std::optional<std::uint64_t> waiting);
    void postWeakly(std::function<void(LogForwarder&)> work);
    void updateStatus(const std::function<void(ForwardingStatus&)>& change);

    // Blocking pool only.
    Outcome runPass(LineSink& sink, const std::string& destination, bool probe);
    void ensureLoaded(const std::string& destination);
    TailRead readLog(const std::filesystem::path& path, LogPosition& cursor, std::uint64_t& counted,
                     std::uint64_t& waiting, std::size_t maxBytes = LogTail::maximumBytes);
    std::optional<std::uint64_t> countWaiting(const std::string& destination);
    // Moves `cursor` past the first `count` lines of `read`.
    void advance(LogPosition& cursor, std::uint64_t& waiting, const TailRead& read,
                 std::size_t count);

    Dependencies deps_;
    Progress progress_;
    // Queue only.
    std::shared_ptr<LineSink> sink_;
    std::string destination_;
    std::uint64_t generation_ = 0;
    bool passRunning_ = false;
    bool pokedDuringPass_ = false;
    bool recountAgain_ = false;
    bool waitingToRetry_ = false;
    bool probed_ = false;  // the sink was reached once since it was set
    int failures_ = 0;
    // stop() waits on these; the sink a pass uses is cancelled from there.
    mutable std::mutex mutex_;
    std::condition_variable passChanged_;
    ForwardingStatus status_;               // guarded by mutex_
    std::shared_ptr<LineSink> activeSink_;  // guarded by mutex_
    bool stopping_ = false;                 // guarded by mutex_
};

}  // namespace veyrune
