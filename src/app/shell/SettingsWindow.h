#pragma once

#include <functional>

#include <QWidget>

#include "base/TaskPool.h"
#include "credentials/WebhookConfigurationStore.h"
#include "evidence/EvidencePermissionPreflight.h"
#include "model/AppModel.h"
#include "model/LaunchAtLoginSettingsModel.h"
#include "model/SealingService.h"
#include "model/UpdaterModel.h"

class QTabWidget;

namespace veyrune {

// The settings tabs, in order.
enum class SettingsTab { general, triggers, evidence, alerts, logEngines, about };

// The settings window with its six tabs; every control writes at once
// (the collector's form when saved).
// Main thread; every collaborator must outlive it.
class SettingsWindow : public QWidget {
  public:
    struct Collaborators {
        AppModel& model;
        SettingsBridge& settings;
        LaunchAtLoginSettingsModel& launchAtLogin;
        UpdaterModel& updater;
        WebhookConfigurationStore& webhook;
        TaskPool& pool;
        ScreenCaptureMethod screenCaptureMethod;
        std::function<void()> channelsChanged;
        std::function<void()> openAutostartSettings;
        std::function<void(const EvidencePermissionPreflight&)> reviewPermission;
        std::function<void()> openEvidenceLibrary;
        std::function<void()> openPrivacyPolicy;
        // Optional: without it there is no sealing switch.
        SealingService* sealing = nullptr;
    };

    explicit SettingsWindow(Collaborators collaborators, QWidget* parent = nullptr);

    void selectTab(SettingsTab tab);
    QTabWidget& tabs() { return *tabs_; }

  private:
    QTabWidget* tabs_;
};

}  // namespace veyrune
