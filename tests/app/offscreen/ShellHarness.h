#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>

#include "app/shell/Shell.h"
#include "base/PosixFileSystem.h"
#include "delivery/AlertDispatcher.h"
#include "model/AppModel.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "support/FakePowerManagerRegistration.h"
#include "support/FakeShellCollaborators.h"
#include "support/FakeSleepTransitionClock.h"
#include "support/InMemoryKeychainStore.h"
#include "support/InMemoryPreferences.h"
#include "support/InlineTaskPool.h"
#include "support/ManualClock.h"
#include "support/ManualMonotonicClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTimerScheduler.h"
#include "support/TempDirectory.h"

namespace veyrune::test {

// Processes Qt events until `done` holds or five seconds pass.
inline bool waitUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Processes Qt events for `milliseconds`.
inline void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// A whole shell over in-memory stores and fakes. Preferences set in
// `prepare` are in place before the model reads them.
struct ShellHarness {
    explicit ShellHarness(std::function<void(InMemoryPreferences&)> prepare = {}) {
        if (prepare) {
            prepare(preferences);
        }
        settings = std::make_unique<SettingsBridge>(preferences, keychain);
        dispatcher = AlertDispatcher::make(
            std::make_unique<AlertBurstCoalescer>(AlertBurstConfiguration{}, sleepClock),
            [](SecurityEvent, std::function<void()> done) { done(); }, queue, clock, timer, tasks);
        model = AppModel::make(AppModel::Dependencies{
            events, evidenceItems, *settings, clock, queue, PosixFileSystem::shared(),
            [] { return EventContext{}; }, dispatcher,
            DeliveryHooks{[](const SecurityEvent&, std::function<void(DeliveryEnqueueOutcome)>) {},
                          [] {}, [] { return true; }},
            screenshots, photos, cameraAuthorization, power, sleepGateStatus, monotonic, tasks});
        launchAtLogin = std::make_unique<LaunchAtLoginSettingsModel>(launchService);
        updater = UpdaterModel::make("", {});
        library = std::make_unique<EvidenceLibrary>(PosixFileSystem::shared(), clock,
                                                    folder.path() / "Evidence");
        exporter = std::make_unique<TimelineExporter>(
            PosixFileSystem::shared(), folder.path() / "security-events.jsonl", clock, "1.0");
        webhook = std::make_unique<WebhookConfigurationStore>(keychain);
        shell = std::make_unique<Shell>(
            ShellDependencies{*model,
                              *settings,
                              *launchAtLogin,
                              *updater,
                              navigation,
                              events,
                              evidenceItems,
                              *library,
                              deliveries,
                              [this] { return diagnostics; },
                              *exporter,
                              *webhook,
                              clock,
                              tasks,
                              [this] { ++channelsChangedCount; },
                              [this](const AppAction& action) { performed.push_back(action); },
                              {},
                              {},
                              ScreenCaptureMethod::x11Display,
                              false,
                              nullptr,
                              folder.path() / "security-events.seals"});
    }

    ~ShellHarness() {
        shell.reset();
        QApplication::processEvents();
    }

    void record(const SecurityEvent& event) { events.append(event); }

    TempDirectory folder;
    InMemoryPreferences preferences;
    InMemoryKeychainStore keychain;
    std::unique_ptr<SettingsBridge> settings;
    ManualClock clock{referenceDate() + std::chrono::hours(24 * 9100)};
    ManualSerialQueue queue;
    ManualTimerScheduler timer;
    InlineTaskPool tasks;
    FakeSleepTransitionClock sleepClock;
    std::shared_ptr<AlertDispatcher> dispatcher;
    JSONLFileSecurityEventStore events{folder.path() / "security-events.jsonl",
                                       PosixFileSystem::shared()};
    InMemoryEvidenceItemStore evidenceItems;
    NoScreenshots screenshots;
    NoPhotos photos;
    FixedCameraAuthorization cameraAuthorization;
    FakePowerManagerRegistration power;
    SleepGateStatus sleepGateStatus{[] { return false; }};
    ManualMonotonicClock monotonic;
    std::shared_ptr<AppModel> model;
    FakeLaunchAtLoginService launchService;
    std::unique_ptr<LaunchAtLoginSettingsModel> launchAtLogin;
    std::shared_ptr<UpdaterModel> updater;
    TimelineNavigationState navigation;
    std::unique_ptr<EvidenceLibrary> library;
    FakeDeliveryStatusSource deliveries;
    // What the diagnostics tab is given (read on the shell's worker thread).
    DiagnosticsInputs diagnostics;
    std::unique_ptr<TimelineExporter> exporter;
    std::unique_ptr<WebhookConfigurationStore> webhook;
    int channelsChangedCount = 0;
    std::vector<AppAction> performed;
    std::unique_ptr<Shell> shell;
};

}  // namespace veyrune::test
