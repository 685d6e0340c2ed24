#include "app/shell/SettingsWindow.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "ShellHarness.h"
#include "app/shell/GeneralSettingsTab.h"

namespace veyrune::test {
namespace {

SettingsWindow& openSettings(ShellHarness& h) {
    h.shell->openSettings();
    return *static_cast<SettingsWindow*>(h.shell->window(MenuPanelReleaseDestination::settings));
}

template <typename T>
T& control(QWidget& window, const char* name) {
    auto* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

QPushButton* button(QWidget& window, const QString& text) {
    for (auto* found : window.findChildren<QPushButton*>()) {
        if (found->text() == text) {
            return found;
        }
    }
    return nullptr;
}

bool showsLabel(QWidget& window, const QString& text) {
    return waitUntil([&] {
        for (auto* label : window.findChildren<QLabel*>()) {
            if (label->text() == text && !label->isHidden()) {
                return true;
            }
        }
        return false;
    });
}

TEST(SettingsWindowTest, NoStoredPreferencesShowTheDefaults) {
    ShellHarness h;
    auto& window = openSettings(h);
    for (const char* on : {"showDockIcon", "captureUSB", "captureVolumes", "captureDisplay"}) {
        EXPECT_TRUE(control<QCheckBox>(window, on).isChecked()) << on;
    }
    for (const char* off : {"captureAudio", "captureCamera", "captureScreenshots", "enableTelegram",
                            "enableWebhook", "autoArmOnSleep", "alertOnMaintenanceWake"}) {
        EXPECT_FALSE(control<QCheckBox>(window, off).isChecked()) << off;
    }
}

TEST(SettingsWindowTest, RetentionDefaultsAndNoCapAtZero) {
    ShellHarness h;
    auto& window = openSettings(h);
    auto& keep = control<QSpinBox>(window, "evidenceKeepDays");
    auto& cap = control<QSpinBox>(window, "evidenceMaxMB");
    EXPECT_EQ(keep.text(), "7 days");
    EXPECT_EQ(cap.text(), "512 MB");
    EXPECT_EQ(control<QComboBox>(window, "screenshotModeRaw").currentText(),
              "All displays stitched");
    cap.setValue(0);
    EXPECT_EQ(cap.text(), "No cap");
    EXPECT_EQ(h.preferences.intValue("evidenceMaxMB"), 0);
    EXPECT_EQ(h.settings->evidenceSizeCapMB(), std::nullopt);
    cap.stepUp();
    EXPECT_EQ(cap.text(), "128 MB");
    keep.setValue(200);
    EXPECT_EQ(h.preferences.intValue("evidenceKeepDays"), 90);
}

TEST(SettingsWindowTest, EachControlWritesAtOnce) {
    ShellHarness h;
    auto& window = openSettings(h);
    control<QCheckBox>(window, "captureAudio").setChecked(true);
    EXPECT_EQ(h.preferences.boolValue("captureAudio"), true);
    EXPECT_TRUE(h.model->captureAudio());
    control<QComboBox>(window, "screenshotModeRaw").setCurrentIndex(0);
    EXPECT_EQ(h.preferences.intValue("screenshotModeRaw"), 0);
    control<QCheckBox>(window, "armed").setChecked(true);
    EXPECT_TRUE(h.model->isArmed());
    control<QCheckBox>(window, "enableTelegram").setChecked(true);
    control<QCheckBox>(window, "enableWebhook").setChecked(true);
    EXPECT_EQ(h.channelsChangedCount, 2);  // each switch tells the delivery manager
}

TEST(SettingsWindowTest, LaunchAtLoginApprovalAndFailure) {
    ShellHarness h;
    h.launchService.status_ = LaunchAtLoginService::Status::requiresApproval;
    auto& window = openSettings(h);
    EXPECT_FALSE(control<QCheckBox>(window, "startAtLogin").isChecked());
    ASSERT_NE(button(window, "Open Autostart Settings"), nullptr);
    EXPECT_FALSE(button(window, "Open Autostart Settings")->isHidden());

    ShellHarness failing;
    auto& other = openSettings(failing);
    failing.launchService.fails = true;
    control<QCheckBox>(other, "startAtLogin").setChecked(true);
    EXPECT_FALSE(control<QCheckBox>(other, "startAtLogin").isChecked());
    EXPECT_EQ(GeneralSettingsTab::launchAtLoginText(failing.launchAtLogin->state()),
              "Veyrune could not update Start at Login. Try again or review the autostart "
              "applications in your desktop's settings.");
}

TEST(SettingsWindowTest, TaskbarListingFollowsTheSettingAtOnce) {
    ShellHarness h;
    auto& window = openSettings(h);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::Tool));
    control<QCheckBox>(window, "showDockIcon").setChecked(false);
    QApplication::processEvents();
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(window.isVisible());
    h.shell->open(MenuPanelReleaseDestination::about);
    EXPECT_TRUE(
        h.shell->window(MenuPanelReleaseDestination::about)->windowFlags().testFlag(Qt::Tool));
}

TEST(SettingsWindowTest, UpdateControlsHiddenWhenNotConfigured) {
    ShellHarness h;
    EXPECT_EQ(button(openSettings(h), "Check Now"), nullptr);
}

TEST(SettingsWindowTest, SavingTelegramStoresInTheKeyringAndShowsTheChat) {
    ShellHarness h;
    auto& window = openSettings(h);
    for (auto* edit : window.findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == "Bot token")
            edit->setText("123:abc");
        if (edit->accessibleName() == "Chat ID")
            edit->setText("42");
    }
    button(window, "Save Telegram Configuration")->click();
    EXPECT_TRUE(showsLabel(window, "Sending to chat 42"));
    EXPECT_TRUE(h.settings->telegramConfiguration().loadCredentials().has_value());
}

TEST(SettingsWindowTest, AnInsecureWebhookShowsTheStoresMessage) {
    ShellHarness h;
    auto& window = openSettings(h);
    for (auto* edit : window.findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == "HTTPS endpoint")
            edit->setText("http://example.com/hook");
    }
    button(window, "Save Webhook Configuration")->click();
    EXPECT_TRUE(showsLabel(window, "The endpoint must use HTTPS."));
}

}  // namespace
}  // namespace veyrune::test
