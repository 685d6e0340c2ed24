// The timeline window over a 100,000-event log while one event is appended
// every second: the window refreshes every two seconds from its timer, and a
// 1 ms probe timer on the main thread measures the longest time the main
// thread could not run it. Appends come from a helper thread so that the
// probe sees only the window's own main-thread work. Runs on the offscreen
// platform with the window shown (so rows are painted). Every event the main
// thread handles is timed too, in wall and CPU time, to tell the window's own
// work from time the loaded machine gave to other threads.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include "app/shell/TimelineWindow.h"
#include "app/shell/WorkerThread.h"
#include "base/AsioTaskPool.h"
#include "base/PosixFileSystem.h"
#include "record/EventChain.h"
#include "record/JSONLFileEvidenceItemStore.h"
#include "record/JSONLFileSecurityEventStore.h"

using namespace veyrune;

namespace {

constexpr int kEvents = 100000;

double threadCPUNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Times every event the main thread handles: the longest one in wall time and
// in the main thread's own CPU time (the difference is time the machine gave
// to other threads).
class TimedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    // Qt calls notify on every thread with an event loop; only the main
    // thread's events are timed (the timeline worker's reads take seconds).
    bool notify(QObject* receiver, QEvent* event) override {
        if (QThread::currentThread() != thread()) {
            return QApplication::notify(receiver, event);
        }
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        QElapsedTimer wall;
        wall.start();
        const double cpu = threadCPUNanoseconds();
        const bool handled = QApplication::notify(receiver, event);
        const double wallNs = static_cast<double>(wall.nsecsElapsed());
        if (wallNs > longestWallNs) {
            longestWallNs = wallNs;
            longestCPUNs = threadCPUNanoseconds() - cpu;
        }
        maxCPUNs = std::max(maxCPUNs, threadCPUNanoseconds() - cpu);
        --depth_;
        return handled;
    }

    double longestWallNs = 0;
    double longestCPUNs = 0;  // CPU time of that longest event
    double maxCPUNs = 0;      // the most CPU time any one event took

  private:
    int depth_ = 0;
};

SecurityEvent sampleEvent(int i, Instant at) {
    SecurityEvent event;
    event.id = Uuid::random();
    event.kind = allSecurityEventKinds[std::size_t(i) % allSecurityEventKinds.size()];
    event.occurredAt = at;
    event.summary = "Event number " + std::to_string(i);
    event.context.machineName = "Studio";
    event.context.batteryPercent = i % 100;
    return event;
}

std::filesystem::path writeLog(const std::filesystem::path& folder) {
    auto path = folder / "security-events.jsonl";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string prev = EventChain::genesis;
    const Instant start = std::chrono::system_clock::now() - std::chrono::minutes(kEvents);
    for (int i = 0; i < kEvents; ++i) {
        SecurityEvent event = sampleEvent(i, start + std::chrono::minutes(i));
        event.seq = i + 1;
        event.prev = prev;
        std::string line = EventChain::canonicalLine(event);
        prev = EventChain::linkHash(line);
        out << line << '\n';
    }
    return path;
}

class NoDeliveries final : public DeliveryStatusSource {
  public:
    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> deliveryAttempts(
        const std::unordered_set<Uuid>&) override {
        return {};
    }
    void retry(const Uuid&) override {}
    DeliveryQueueSummary queueSummary() override { return {}; }
};

void TimelineWindowMainThreadStall(benchmark::State& state) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("veyrune-stall-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto& files = PosixFileSystem::shared();
    JSONLFileSecurityEventStore events(writeLog(folder), files);
    JSONLFileEvidenceItemStore evidence(folder / "evidence-items.jsonl", files);
    NoDeliveries deliveries;
    TimelineExporter exporter(files, events.fileURL(), SystemClock::shared(), "bench");
    // The pool's chain checks report to the worker thread: it goes last.
    WorkerThread worker(QStringLiteral("Veyrune.Timeline"));
    AsioTaskPool pool(1);
    const int seconds = static_cast<int>(state.range(0));

    for (auto _ : state) {
        auto* window = new TimelineWindow(
            worker,
            TimelineController::Collaborators{events, evidence, deliveries,
                                              [] { return DiagnosticsSnapshot{}; }, exporter,
                                              SystemClock::shared(), pool, worker},
            std::nullopt);
        window->show();
        int states = 0;
        std::atomic<bool> stop = false;
        std::thread appender([&] {
            for (int i = 0; !stop; ++i) {
                events.append(sampleEvent(kEvents + i, std::chrono::system_clock::now()));
                for (int t = 0; t < 10 && !stop; ++t) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            }
        });
        // Wait for the first full state, then measure while the timer refreshes.
        QElapsedTimer wait;
        wait.start();
        while ((!window->state() || !window->state()->chainStatus) && wait.elapsed() < 60000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        const TimelineViewState* first = window->state();
        qint64 longestNs = 0;
        QElapsedTimer probeClock;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(1);
        probeClock.start();
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 gap = probeClock.nsecsElapsed();
            probeClock.restart();
            longestNs = std::max(longestNs, gap - 1000000);
            if (window->state() != first) {
                first = window->state();
                ++states;
            }
        });
        auto* timed = static_cast<TimedApplication*>(QCoreApplication::instance());
        timed->longestWallNs = timed->longestCPUNs = timed->maxCPUNs = 0;
        probe.start();
        QElapsedTimer run;
        run.start();
        while (run.elapsed() < seconds * 1000) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        probe.stop();
        stop = true;
        appender.join();
        state.counters["longest_probe_gap_ms"] = static_cast<double>(longestNs) / 1e6;
        state.counters["longest_event_ms"] = timed->longestWallNs / 1e6;
        state.counters["its_cpu_ms"] = timed->longestCPUNs / 1e6;
        state.counters["max_event_cpu_ms"] = timed->maxCPUNs / 1e6;
        state.counters["states_drawn"] = states;
        state.counters["rows"] = window->state() && window->state()->rows
                                     ? static_cast<double>(window->state()->rows->size())
                                     : 0;
        delete window;
    }
    std::filesystem::remove_all(folder);
}

BENCHMARK(TimelineWindowMainThreadStall)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
