#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "forward/ForwardingStatusSource.h"
#include "forward/LogForwarder.h"
#include "system/WakeNotificationSource.h"

namespace veyrune {

// Where one route's lines go now: its sink and a name for the destination.
struct RouteSink {
    std::shared_ptr<LineSink> sink;
    std::string destination;
};

// One route of the log: its name (also its cursor file's, and what
// Diagnostics asks for) and how to build its sink from the current settings;
// nothing means the route is off.
struct LogRoute {
    std::string name;
    std::function<std::optional<RouteSink>()> makeSink;
};

// The routes of the running program, one LogForwarder each on the shared
// "Veyrune.Forwarding" queue, with their cursors in `<dataFolder>/forwarding/`.
// Main thread, except the status reads. The pools must outlive it.
class ForwardingStack final : public ForwardingStatusSource {
  public:
    static constexpr const char* systemJournalRoute = "systemJournal";
    static constexpr const char* collectorRoute = "collector";

    ForwardingStack(AsioTaskPool& queuePool, AsioTaskPool& blockingIO,
                    const std::filesystem::path& eventLog, const std::filesystem::path& seals,
                    std::vector<LogRoute> routes);
    ~ForwardingStack() override;
    ForwardingStack(const ForwardingStack&) = delete;
    ForwardingStack& operator=(const ForwardingStack&) = delete;

    // Builds every route's sink afresh from the settings.
    void routesChanged();
    // A line was written to the event log or the seals file.
    void logWritten();
    // After a wake: every route tries at once.
    void observeWake(WakeNotificationSource& wake);
    // Termination: see LogForwarder::stop.
    void stop(std::chrono::steady_clock::time_point deadline);

    ForwardingStatus systemJournal() const override { return statusOf(systemJournalRoute); }
    ForwardingStatus collector() const override { return statusOf(collectorRoute); }

  private:
    struct Running {
        LogRoute route;
        std::unique_ptr<WallClockDeliveryTimerScheduler> timer;
        std::shared_ptr<LogForwarder> forwarder;
    };
    ForwardingStatus statusOf(const std::string& name) const;

    AsioSerialQueue queue_;
    std::vector<Running> routes_;
    WakeNotificationSource* wake_ = nullptr;
};

}  // namespace veyrune
