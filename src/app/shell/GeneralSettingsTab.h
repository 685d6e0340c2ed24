#pragma once

#include <functional>

#include <QWidget>

#include "model/AppModel.h"
#include "model/LaunchAtLoginSettingsModel.h"
#include "model/SealingService.h"
#include "model/UpdaterModel.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace veyrune {

// Settings ▸ General: protection, start at login, auto-arm, the taskbar
// listing, sealing (when `sealing` is given) and (only when this build can
// update itself) the update controls. Main thread; the models must outlive it.
class GeneralSettingsTab : public QWidget {
  public:
    GeneralSettingsTab(AppModel& model, SettingsBridge& settings,
                       LaunchAtLoginSettingsModel& launchAtLogin, UpdaterModel& updater,
                       std::function<void()> openAutostartSettings,
                       SealingService* sealing = nullptr, QWidget* parent = nullptr);
    ~GeneralSettingsTab() override;

    // The text under "Start at login" for a state; empty for `disabled`.
    static QString launchAtLoginText(LaunchAtLoginState state);

  private:
    void showModel();
    void showLaunchAtLogin();
    void addUpdates(QVBoxLayout* column, UpdaterModel& updater);
    void addSealing(QVBoxLayout* column, SettingsBridge& settings, SealingService& sealing);
    // Main thread, once the sealer has made the key (nothing: it failed).
    void sealingBegan(const std::optional<VerificationKey>& key, const std::string& error);
    // The switch as stored and the sealer's last error, if any.
    void showSealing();
    void showEvent(QShowEvent* event) override;

    AppModel& model_;
    LaunchAtLoginSettingsModel& launchAtLogin_;
    AppModel::ObserverID observer_;
    QCheckBox* armed_;
    QLabel* lastEvent_;
    QCheckBox* startAtLogin_;
    QLabel* launchText_;
    QPushButton* openLoginItems_;
    SettingsBridge* settings_ = nullptr;
    QCheckBox* seal_ = nullptr;
    QLabel* sealError_ = nullptr;
    SealingService* sealing_ = nullptr;
};

}  // namespace veyrune
