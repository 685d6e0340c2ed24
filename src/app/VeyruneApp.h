#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "app/DeliveryStack.h"
#include "app/EvidenceStack.h"
#include "app/ForwardingStack.h"
#include "app/QSettingsPreferences.h"
#include "app/QtMainQueue.h"
#include "app/shell/ApplicationBusService.h"
#include "base/AsioTaskPool.h"
#include "credentials/CachingKeychainStore.h"
#include "credentials/SecretServiceChangeWatcher.h"
#include "credentials/SystemKeychainStore.h"
#include "delivery/WakeNotificationFanOut.h"
#include "forward/ForwardingStatusSource.h"
#include "model/AppAction.h"
#include "model/AppModel.h"
#include "model/LaunchAtLoginSettingsModel.h"
#include "model/SealingService.h"
#include "model/SettingsBridge.h"
#include "model/TimelineNavigationState.h"
#include "model/UpdaterModel.h"
#include "model/XDGAutostartService.h"
#include "record/JSONLFileEvidenceItemStore.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "review/DiagnosticsSnapshot.h"
#include "system/DisplaySleepTransitionClock.h"
#include "system/SleepGateStatus.h"
#include "system/SystemEventWatcher.h"
#include "system/linux/LinuxSystemServices.h"

namespace veyrune {

// The running program: builds every long-lived object once, in start-up
// order, wires the watcher to the model, and answers the actions of the menus
// and of org.freedesktop.Application. Main thread; a QApplication must exist
// first and outlive it.
class VeyruneApp {
  public:
    // What the windows offer; filled by the shell once it exists.
    struct WindowHooks {
        std::function<void(MenuPanelReleaseDestination)> open;
        std::function<void()> openSettings;
        std::function<void(ApplicationBusService::Activation)> activate;
    };

    explicit VeyruneApp(const QString& executablePath);
    ~VeyruneApp();
    VeyruneApp(const VeyruneApp&) = delete;
    VeyruneApp& operator=(const VeyruneApp&) = delete;

    // Takes the bus name; false when another instance holds it.
    // `startedByBus`: the bus started this process to deliver a request.
    bool publishOnSessionBus(bool startedByBus);
    void setWindowHooks(WindowHooks hooks) { windows_ = std::move(hooks); }

    // Runs one action of the menus or the desktop; false for an action that
    // is not offered (a developer action outside developer mode).
    bool perform(const AppAction& action);
    // The desktop's Activate: the launch the bus started us for, or a
    // second launch while Veyrune runs.
    void activate(ApplicationBusService::Activation activation);
    // What the diagnostics rows show, read afresh. Reads the keyring and hops
    // onto the delivery queue: call it off the main thread.
    DiagnosticsInputs diagnosticsInputs();
    // The settings changed a channel: the keyring is read afresh and the
    // delivery manager looks at its queue again.
    void channelsChanged();
    // Flushes held alerts into the outbox and starts a delivery pass, waiting
    // at most 2 seconds for both; then the process may end.
    void flushBufferedAlerts();
    // The log-engine settings changed: every route is built afresh.
    void logRoutesChanged() { forwarding_.routesChanged(); }

    AppModel& model() { return *model_; }
    SettingsBridge& settings() { return settings_; }
    UpdaterModel& updater() { return *updater_; }
    LaunchAtLoginSettingsModel& launchAtLogin() { return launchAtLogin_; }
    TimelineNavigationState& navigation() { return navigation_; }
    DeliveryStack& delivery() { return delivery_; }
    EvidenceStack& evidence() { return evidence_; }
    SecurityEventStore& eventStore() { return events_; }
    EvidenceItemStore& evidenceItemStore() { return evidenceItems_; }
    SleepGateStatus& sleepGateStatus() { return sleepGateStatus_; }
    // The pool for blocking work (files, keyring, network); never a queue's.
    AsioTaskPool& taskPool() { return blockingIO_; }
    SealingService& sealing() { return sealing_; }
    // How the log's routes are doing, for Diagnostics; any thread.
    ForwardingStatusSource& forwardingStatus() { return forwarding_; }
    // Where the seals lie beside the event log; the key file is never exported.
    static std::filesystem::path sealsFile();
    static std::filesystem::path sealKeyFile();
    MainQueue& mainQueue() { return mainQueue_; }

  private:
    void wire();
    void recordTestEvent();
    void exportQuickCSV();
    void quit();

    // Two pools: one carries the serial queues and timers and never blocks,
    // the other takes every blocking call.
    AsioTaskPool pool_{2};
    AsioTaskPool blockingIO_{8};
    QtMainQueue mainQueue_;
    QSettingsPreferences preferences_;
    SystemKeychainStore systemKeychain_;
    // Every reader and writer of the credentials goes through this one; it
    // forgets what it read when any client changes an item.
    CachingKeychainStore keychain_{systemKeychain_, std::make_unique<SecretServiceChangeWatcher>()};
    SettingsBridge settings_;
    JSONLFileSecurityEventStore events_;
    JSONLFileEvidenceItemStore evidenceItems_;
    LinuxSystemServices system_;
    // The one wake source, shared by the timers and the delivery manager.
    WakeNotificationFanOut wakes_;
    SystemEventWatcher watcher_;
    std::shared_ptr<DisplaySleepTransitionClock> sleepClock_;
    SleepGateStatus sleepGateStatus_;
    SteadyMonotonicClock monotonicClock_;
    DeliveryStack delivery_;
    EvidenceStack evidence_;
    AsioSerialQueue dispatcherQueue_;
    WallClockDeliveryTimerScheduler dispatcherTimer_;
    // Sealing fsyncs, so its queue runs on the blocking pool, one call at a time.
    AsioSerialQueue sealQueue_;
    WallClockDeliveryTimerScheduler sealTimer_;
    Sealer sealer_;
    SealingService sealing_;
    // The log's routes (the central collector); poked after each write.
    ForwardingStack forwarding_;
    std::shared_ptr<AppModel> model_;
    TimelineNavigationState navigation_;
    std::shared_ptr<UpdaterModel> updater_;
    XDGAutostartService autostart_;
    LaunchAtLoginSettingsModel launchAtLogin_;
    ApplicationBusService bus_;
    WindowHooks windows_;
};

}  // namespace veyrune
