#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>

#include "app/shell/ApplicationBusService.h"
#include "app/shell/SettingsWindow.h"
#include "evidence/EvidenceLibrary.h"
#include "model/AppAction.h"
#include "model/TimelineNavigationState.h"
#include "review/DeliveryStatusSource.h"
#include "review/DiagnosticsSnapshot.h"
#include "review/TimelineExporter.h"

namespace veyrune {

class PanelMenu;
class TrayIcon;
class WorkerThread;

// Everything the shell draws and calls. References must outlive the Shell;
// the task pool must finish its work before the Shell goes.
struct ShellDependencies {
    AppModel& model;
    SettingsBridge& settings;
    LaunchAtLoginSettingsModel& launchAtLogin;
    UpdaterModel& updater;
    TimelineNavigationState& navigation;
    const SecurityEventStore& events;
    const EvidenceItemStore& evidenceItems;
    EvidenceLibrary& evidenceLibrary;
    // Called on the shell's worker thread (hops synchronously onto the delivery queue).
    DeliveryStatusSource& deliveries;
    // Fresh diagnostics inputs; called on the shell's worker thread, so it may
    // read the keyring.
    std::function<DiagnosticsInputs()> diagnosticsInputs;
    // Called on the worker thread.
    const TimelineExporter& exporter;
    WebhookConfigurationStore& webhookConfiguration;
    const Clock& clock;
    // Keyring calls of the alerts form and thumbnail reads run here.
    TaskPool& tasks;
    // The delivery manager's channelsChanged(). Main thread.
    std::function<void()> channelsChanged;
    // "Quit Veyrune" and the developer actions. Main thread.
    std::function<void(const AppAction&)> perform;
    // Optional: the desktop's autostart settings, for "Open Autostart Settings".
    std::function<void()> openAutostartSettings = {};
    // Optional: leads the user to a capture permission; without it the
    // permission's explanation is shown in a message box.
    std::function<void(const EvidencePermissionPreflight&)> reviewPermission = {};
    // How this session takes screenshots, for the permission row.
    ScreenCaptureMethod screenCaptureMethod = ScreenCaptureMethod::x11Display;
    // Whether to show the tray icon (tests run without it).
    bool showTrayIcon = true;
    // Optional: the sealing switch in Settings ▸ General.
    SealingService* sealing = nullptr;
    // Optional: the seals beside the log, for the line by the chain badge.
    std::filesystem::path sealsFile = {};
};

// The Qt shell: the tray icon and its panel, and the windows opened by
// destination (timeline "log", "evidence", settings, "onboarding", "about",
// "privacy-policy"). Windows are made on first opening, start afresh after
// being closed, and are listed in the taskbar only while "showDockIcon" is on
// (changes apply at once). Main thread.
class Shell : public QObject {
  public:
    explicit Shell(ShellDependencies dependencies);
    ~Shell() override;

    // Toggle, destinations and everything else (through the `perform` hook).
    // What the panel and the desktop entry's ActivateAction both call.
    void perform(const AppAction& action);
    void open(MenuPanelReleaseDestination destination);
    void openSettings(SettingsTab tab = SettingsTab::general);
    void openPrivacyPolicy();
    // Opens "Getting Started" while "hasCompletedOnboarding" is off, at most
    // once per launch. The panel calls it when first shown.
    void showOnboardingIfNeeded();
    // The desktop's Activate: the launch shows what starting Veyrune shows
    // (Getting Started until it is done with); launching again while it runs
    // opens Settings, which keeps them reachable without a taskbar entry.
    void activate(ApplicationBusService::Activation activation);

    PanelMenu& panel() { return *panel_; }
    // The open window of a destination (settings for `settings`), or null.
    QWidget* window(MenuPanelReleaseDestination destination) const;
    QWidget* privacyPolicyWindow() const { return privacy_; }

  private:
    template <typename Make>
    QWidget* present(QPointer<QWidget>& slot, Make make);
    void applyTaskbarListing(QWidget* window) const;
    void taskbarSettingChanged();
    void navigationChanged();
    void reviewPermission(const EvidencePermissionPreflight& preflight);

    ShellDependencies d_;
    std::unique_ptr<WorkerThread> worker_;
    std::unique_ptr<PanelMenu> panel_;
    std::unique_ptr<TrayIcon> tray_;
    QPointer<QWidget> timeline_;
    QPointer<QWidget> evidence_;
    QPointer<QWidget> settings_;
    QPointer<QWidget> onboarding_;
    QPointer<QWidget> about_;
    QPointer<QWidget> privacy_;
    bool didCheckOnboarding_ = false;
    bool listedInTaskbar_ = true;
};

}  // namespace veyrune
