#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QWidget>

#include "base/TaskPool.h"
#include "credentials/WebhookConfigurationStore.h"
#include "model/SettingsBridge.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace veyrune {

// Settings ▸ Alerts: the Telegram and webhook forms. The switches write their
// preference and call `channelsChanged`; saving, removing and reading the
// stored credentials talk to the keyring on the task pool and report back on
// the main thread. Main thread; every collaborator must outlive the pool's work.
class AlertsSettingsTab : public QWidget {
  public:
    AlertsSettingsTab(SettingsBridge& settings, WebhookConfigurationStore& webhook, TaskPool& pool,
                      std::function<void()> channelsChanged, QWidget* parent = nullptr);

    // Reads which channels have stored credentials, off the main thread.
    void reload();

  private:
    struct Form {
        QLineEdit* first;
        QLineEdit* second;
        QLabel* configured;
        QLabel* detail;
        QLabel* message;
        QPushButton* remove;
    };

    void addTelegram(QVBoxLayout* page);
    void addWebhook(QVBoxLayout* page);
    // Runs `work` on the pool, then shows its failure text (nothing: success)
    // under `form` and reads the stored credentials again.
    void inBackground(Form AlertsSettingsTab::*form,
                      std::function<std::optional<std::string>()> work);
    void showStored(std::optional<std::string> telegramChat, bool webhookConfigured);

    SettingsBridge& settings_;
    WebhookConfigurationStore& webhook_;
    TaskPool& pool_;
    std::function<void()> channelsChanged_;
    Form telegramForm_{};
    Form webhookForm_{};
};

}  // namespace veyrune
