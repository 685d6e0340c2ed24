#include "system/linux/LinuxShutdownSignalSource.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "system/linux/DBusArguments.h"
#include "system/linux/LogindNames.h"

namespace veyrune {

namespace {

// The self-pipe: written by the signal handler, read on the main loop.
int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool installSignalHandlers() {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

}  // namespace

LinuxShutdownSignalSource::LinuxShutdownSignalSource(QDBusConnection systemBus)
    : systemBus_(std::move(systemBus)) {}

LinuxShutdownSignalSource::~LinuxShutdownSignalSource() {
    if (started_) {
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
    }
}

void LinuxShutdownSignalSource::observeShutdown(std::function<void(ShutdownSignal)> handler) {
    handler_ = std::move(handler);
    if (!started_) {
        started_ = true;
        start();
    }
}

void LinuxShutdownSignalSource::start() {
    if (installSignalHandlers()) {
        signalNotifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier_.get(), &QSocketNotifier::activated, [this] {
            drainSignalPipe();
            report(ShutdownSignal::termination);
        });
    }
    inhibitor_ = LogindInhibitor::take(systemBus_, QStringLiteral("shutdown"),
                                       QStringLiteral("Sending queued alerts before power-off"));
    subscription_ = std::make_unique<DBusSignalSubscription>(
        systemBus_, logind::service, logind::managerPath, logind::managerInterface,
        QStringLiteral("PrepareForShutdown"), [this](const QDBusMessage& message) {
            if (soleBoolean(message) == true) {
                report(ShutdownSignal::powerOff);
            }
        });
}

void LinuxShutdownSignalSource::drainSignalPipe() {
    char buffer[64];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
}

void LinuxShutdownSignalSource::report(ShutdownSignal signal) {
    if (reported_) {
        return;
    }
    reported_ = true;
    if (handler_) {
        handler_(signal);
    }
    if (inhibitor_) {
        inhibitor_->release();
    }
}

}  // namespace veyrune
