// How often the main thread wakes while every Linux system source listens and
// nothing happens: logind (sleep inhibitor, wake, shutdown, session lock) on a
// private bus with python3-dbusmock, plus udev, mountinfo, screens and audio.
// The count is the main thread's voluntary context switches, about one per
// wake-up; a loaded machine adds some (lock contention with the bus thread).
//
//   build/bench/SystemIdleWakeUpsBench
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <fstream>
#include <stdexcept>
#include <string>

#include "base/Clock.h"
#include "system/SystemEventWatcher.h"
#include "system/SystemPowerSleepNotifier.h"
#include "system/linux/LinuxSystemServices.h"

using namespace veyrune;

namespace {

// Times the main thread went to sleep of its own accord.
long mainThreadSleepCount() {
    std::ifstream status("/proc/thread-self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
            return std::stol(line.substr(line.find(':') + 1));
        }
    }
    return -1;
}

// A private dbus-daemon with dbusmock's logind on it; both end with it.
class LogindBus {
  public:
    LogindBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--nosyslog", "--print-address=1"});
        if (!daemon_.waitForStarted(10000) || !daemon_.waitForReadyRead(10000)) {
            throw std::runtime_error("dbus-daemon did not start");
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
        logind_.setProcessEnvironment(environment);
        logind_.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "--template", "logind"});
        auto bus = connection("control");
        QElapsedTimer waited;
        waited.start();
        while (!bus.interface()->isServiceRegistered("org.freedesktop.login1").value()) {
            if (waited.elapsed() > 20000 || logind_.state() == QProcess::NotRunning) {
                throw std::runtime_error("dbusmock's logind did not start");
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        bus.call(QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                "org.freedesktop.DBus.Mock", "AddSession")
                 << "c1"
                 << "seat0" << 1000u << "bench" << true);
    }
    ~LogindBus() {
        for (QProcess* process : {&logind_, &daemon_}) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }
    QDBusConnection connection(const QString& name) {
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    QProcess daemon_;
    QProcess logind_;
    QString address_;
};

void IdleSystemSourcesMainThreadWakeUps(benchmark::State& state) {
    const int seconds = static_cast<int>(state.range(0));
    LogindBus bus;
    QDBusConnection veyrune = bus.connection("veyrune");
    qputenv("XDG_SESSION_ID", "c1");
    auto system = LinuxSystemServices::create(veyrune, veyrune);
    SystemEventWatcher watcher(*system.eventSource, *system.wakeReasons, SystemClock::shared());
    watcher.start();
    SystemPowerSleepNotifier notifier(*system.powerManager,
                                      [](std::function<void()> allow) { allow(); });
    if (!notifier.start()) {
        state.SkipWithError("no sleep inhibitor from logind");
        return;
    }
    system.wake->observeWake([] {});
    system.shutdown->observeShutdown([](ShutdownSignal) {});
    QCoreApplication::processEvents();

    long wakeUps = 0;
    for (auto _ : state) {
        const long before = mainThreadSleepCount();
        QTimer::singleShot(seconds * 1000, [] { QCoreApplication::exit(); });
        QCoreApplication::exec();
        wakeUps = mainThreadSleepCount() - before;
    }
    state.counters["wakeups"] = static_cast<double>(wakeUps);
    state.counters["wakeups_per_s"] = static_cast<double>(wakeUps) / seconds;
}

BENCHMARK(IdleSystemSourcesMainThreadWakeUps)->Arg(5)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
