#pragma once

#include <QDBusConnection>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "system/ShutdownSignalSource.h"
#include "system/linux/DBusSignalSubscription.h"
#include "system/linux/LogindInhibitor.h"

namespace veyrune {

// The end of the process announced by logind's PrepareForShutdown(true), held
// with a shutdown delay inhibitor until the handler has returned, or by SIGTERM
// or SIGINT. The signal handlers only write to a pipe, read on the main loop;
// each of the two signals is handled once, its next delivery takes the default
// action (ends the process). The process does not end by itself after a
// reported signal: the handler decides. Only the first signal is reported.
// At most one per process. Main thread.
class LinuxShutdownSignalSource final : public ShutdownSignalSource {
  public:
    explicit LinuxShutdownSignalSource(QDBusConnection systemBus);
    ~LinuxShutdownSignalSource() override;
    LinuxShutdownSignalSource(const LinuxShutdownSignalSource&) = delete;
    LinuxShutdownSignalSource& operator=(const LinuxShutdownSignalSource&) = delete;

    // Installs the signal handlers, takes the inhibitor and subscribes, on the
    // first call.
    void observeShutdown(std::function<void(ShutdownSignal)> handler) override;
    bool isHoldingShutdown() const { return inhibitor_ && inhibitor_->isHeld(); }

  private:
    void start();
    void report(ShutdownSignal signal);
    void drainSignalPipe();

    QDBusConnection systemBus_;
    std::function<void(ShutdownSignal)> handler_;
    bool started_ = false;
    bool reported_ = false;
    std::unique_ptr<LogindInhibitor> inhibitor_;
    std::unique_ptr<DBusSignalSubscription> subscription_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
};

}  // namespace veyrune
