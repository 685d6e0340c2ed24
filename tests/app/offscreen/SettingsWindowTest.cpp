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

struct DefaultCase {
    const char* key;
    bool checked;
};

class SettingsDefaultsTest : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(SettingsDefaultsTest, NoStoredPreferencesShowTheDefaults) {
    ShellHarness h;
    auto& window = openSettings(h);
    EXPECT_EQ(control<QCheckBox>(window, GetParam().key).isChecked(), GetParam().checked);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SettingsDefaultsTest,
    ::testing::Values(DefaultCase{"showDockIcon", true}, DefaultCase{"captureUSB", true},
                      DefaultCase{"captureVolumes", true}, DefaultCase{"captureDisplay", true},
                      DefaultCase{"captureAudio", false}, DefaultCase{"captureCamera", false},
                      DefaultCase{"captureScreenshots", false},
                      DefaultCase{"enableTelegram", false}, DefaultCase{"enableWebhook", false},
                      DefaultCase{"autoArmOnSleep", false},
                      DefaultCase{"alertOnMaintenanceWake", false}));

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
    EXPECT_EQ(control<QCheckBox>(window, "armed").text(), "Veyrune is armed");
}

TEST(SettingsWindowTest, ChannelSwitchesTellTheDeliveryManager) {
    ShellHarness h;
    auto& window = openSettings(h);
    control<QCheckBox>(window, "enableTelegram").setChecked(true);
    control<QCheckBox>(window, "enableWebhook").setChecked(true);
    EXPECT_EQ(h.channelsChangedCount, 2);
    EXPECT_EQ(h.settings->enabledChannels().size(), 2u);
}

struct LaunchCase {
    LaunchAtLoginService::Status status;
    bool fails;
    bool checked;
    const char* text;
    bool approvalButton;
};

class LaunchAtLoginTextTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchAtLoginTextTest, StateDecidesToggleTextAndButton) {
    const auto& c = GetParam();
    ShellHarness h;
    h.launchService.status_ = c.status;
    auto& window = openSettings(h);
    auto& toggle = control<QCheckBox>(window, "startAtLogin");
    if (c.fails) {
        h.launchService.fails = true;
        toggle.setChecked(true);
    }
    EXPECT_EQ(toggle.isChecked(), c.checked);
    EXPECT_EQ(GeneralSettingsTab::launchAtLoginText(h.launchAtLogin->state()),
              QString::fromUtf8(c.text));
    bool buttonShown = false;
    for (auto* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "Open Autostart Settings") {
            buttonShown = !button->isHidden();
        }
    }
    EXPECT_EQ(buttonShown, c.approvalButton);
}

INSTANTIATE_TEST_SUITE_P(
    States, LaunchAtLoginTextTest,
    ::testing::Values(
        LaunchCase{LaunchAtLoginService::Status::enabled, false, true,
                   "Veyrune launches when you sign in.", false},
        LaunchCase{LaunchAtLoginService::Status::requiresApproval, false, false,
                   "Your desktop needs approval to enable Veyrune at login.", true},
        LaunchCase{LaunchAtLoginService::Status::notRegistered, false, false, "", false},
        LaunchCase{LaunchAtLoginService::Status::notRegistered, true, false,
                   "Veyrune could not update Start at Login. Try again or review the autostart "
                   "applications in your desktop's settings.",
                   false}));

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
    auto& window = openSettings(h);
    for (auto* button : window.findChildren<QPushButton*>()) {
        EXPECT_NE(button->text(), "Check Now");
    }
}

TEST(SettingsWindowTest, SavingTelegramStoresInTheKeyringAndShowsTheChat) {
    ShellHarness h;
    auto& window = openSettings(h);
    auto edits = window.findChildren<QLineEdit*>();
    QLineEdit* token = nullptr;
    QLineEdit* chat = nullptr;
    for (auto* edit : edits) {
        if (edit->accessibleName() == "Bot token")
            token = edit;
        if (edit->accessibleName() == "Chat ID")
            chat = edit;
    }
    ASSERT_TRUE(token && chat);
    token->setText("123:abc");
    chat->setText("42");
    for (auto* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "Save Telegram Configuration")
            button->click();
    }
    EXPECT_TRUE(waitUntil([&] {
        for (auto* label : window.findChildren<QLabel*>()) {
            if (label->text() == "Sending to chat 42" && !label->isHidden())
                return true;
        }
        return false;
    }));
    EXPECT_TRUE(h.settings->telegramConfiguration().loadCredentials().has_value());
}

TEST(SettingsWindowTest, AnInsecureWebhookShowsTheStoresMessage) {
    ShellHarness h;
    auto& window = openSettings(h);
    for (auto* edit : window.findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == "HTTPS endpoint")
            edit->setText("http://example.com/hook");
    }
    for (auto* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "Save Webhook Configuration")
            button->click();
    }
    EXPECT_TRUE(waitUntil([&] {
        for (auto* label : window.findChildren<QLabel*>()) {
            if (label->text() == "The endpoint must use HTTPS.")
                return true;
        }
        return false;
    }));
}

}  // namespace
}  // namespace veyrune::test
