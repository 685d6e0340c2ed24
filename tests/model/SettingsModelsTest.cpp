#include <gtest/gtest.h>

#include "base/PosixFileSystem.h"
#include "model/AppAction.h"
#include "model/DesktopEntryActions.h"
#include "model/DockMenuBuilder.h"
#include "model/LaunchAtLoginSettingsModel.h"
#include "model/SettingsBridge.h"
#include "model/UpdaterModel.h"
#include "model/XDGAutostartService.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/InMemoryKeychainStore.h"
#include "support/InMemoryPreferences.h"
#include "support/TempDirectory.h"

using namespace veyrune;

TEST(SettingsBridge, MigratesAtCreationAndEnablesOnlySwitchedOnChannels) {
    test::InMemoryPreferences preferences;
    test::InMemoryKeychainStore keychain;
    preferences.set("telegramToken", "123:abc");
    preferences.set("telegramChatID", "42");
    SettingsBridge settings(preferences, keychain);
    EXPECT_FALSE(preferences.contains("telegramToken"));  // moved into the keyring
    EXPECT_TRUE(settings.telegramConfiguration().loadCredentials().has_value());

    settings.set(Settings::enableWebhook, true);
    EXPECT_EQ(settings.enabledChannels(), std::set{DeliveryChannelKind::webhook});
}

TEST(SettingsBridge, AMigrationErrorIsIgnored) {
    test::InMemoryPreferences preferences;
    test::InMemoryKeychainStore keychain;
    preferences.set("telegramToken", "123:abc");
    keychain.failWrites(KeychainKey::telegramBotToken);
    SettingsBridge settings(preferences, keychain);
    EXPECT_TRUE(preferences.contains("telegramToken"));
}

TEST(XDGAutostartService, EntryStateAndFailure) {
    test::TempDirectory home;
    auto entry = home.path() / "autostart" / "org.veyrune.Veyrune.desktop";
    XDGAutostartService service(PosixFileSystem::shared(), "/opt/Vey run/veyrune", entry);
    LaunchAtLoginSettingsModel model(service);
    EXPECT_EQ(model.state(), LaunchAtLoginState::disabled);
    model.setEnabled(true);
    EXPECT_EQ(model.state(), LaunchAtLoginState::enabled);
    auto text = PosixFileSystem::shared().readFile(entry);
    EXPECT_NE(text.find("Exec=\"/opt/Vey run/veyrune\"\n"), std::string::npos);

    PosixFileSystem::shared().writeAtomically(entry, text + "Hidden=true\n");
    model.refresh();
    EXPECT_EQ(model.state(), LaunchAtLoginState::disabled);
    model.setEnabled(false);
    EXPECT_FALSE(std::filesystem::exists(entry));

    test::FaultInjectingFileSystem failing;
    failing.failWrites();
    XDGAutostartService broken(failing, "/usr/bin/veyrune", entry);
    LaunchAtLoginSettingsModel brokenModel(broken);
    brokenModel.setEnabled(true);
    EXPECT_EQ(brokenModel.state(), LaunchAtLoginState::operationFailed);
}

TEST(XDGAutostartService, HonoursXDGConfigHome) {
    setenv("XDG_CONFIG_HOME", "/tmp/veyrune-config", 1);
    EXPECT_EQ(XDGAutostartService::defaultEntryPath(),
              "/tmp/veyrune-config/autostart/org.veyrune.Veyrune.desktop");
    unsetenv("XDG_CONFIG_HOME");
}

namespace {

struct StoredFramework final : UpdateFramework {
    bool automatic = true;
    double interval = 0;
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
    double updateCheckInterval() const override { return interval; }
    void setUpdateCheckInterval(double seconds) override { interval = seconds; }
    std::optional<Instant> lastUpdateCheckDate() const override { return std::nullopt; }
    void checkForUpdates() override {}
    void onUpdateCycleFinished(std::function<void()>) override {}
};

}  // namespace

TEST(UpdaterModel, NotConfiguredWithoutASigningKey) {
    bool made = false;
    auto model = UpdaterModel::make("", [&] {
        made = true;
        return std::make_unique<StoredFramework>();
    });
    EXPECT_FALSE(model->isConfigured());
    EXPECT_FALSE(made);
    EXPECT_FALSE(model->automaticallyChecksForUpdates());
    EXPECT_EQ(model->checkFrequency(), UpdateCheckFrequency::daily);
}

TEST(UpdaterModel, StoredIntervalsSnapToDailyOrWeekly) {
    struct Row {
        double days;
        UpdateCheckFrequency frequency;
    } rows[] = {{4, UpdateCheckFrequency::daily}, {5, UpdateCheckFrequency::weekly}};
    for (auto row : rows) {
        StoredFramework* framework = nullptr;
        auto model = UpdaterModel::make("key", [&] {
            auto made = std::make_unique<StoredFramework>();
            made->interval = row.days * 86400;
            framework = made.get();
            return made;
        });
        EXPECT_EQ(model->checkFrequency(), row.frequency) << row.days;
        EXPECT_EQ(framework->interval, interval(row.frequency));
    }
}

TEST(AppAction, NamesAndDeveloperGate) {
    struct Row {
        const char* name;
        bool developerMode;
        std::optional<AppAction> expected;
    } rows[] = {
        {"toggle-arm", false, AppAction{AppAction::Kind::toggleArm, {}}},
        {"record-test-event", false, std::nullopt},
        {"record-test-event", true, AppAction{AppAction::Kind::recordTestEvent, {}}},
        {"Toggle-Arm", true, std::nullopt},
        {"", true, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(appActionNamed(row.name, row.developerMode), row.expected) << row.name;
        if (row.expected) {
            EXPECT_EQ(actionName(*row.expected), row.name);
        }
    }
}

TEST(DockMenuBuilder, HelpOffersUpdatesOnlyWhenConfigured) {
    auto snapshot = MenuPanelSnapshot::make(false, std::nullopt, false);
    for (bool configured : {false, true}) {
        auto menu = DockMenuBuilder::makeMenu(snapshot, {"USB attached: Key"}, configured);
        ASSERT_EQ(menu.back().title, "Help");
        ASSERT_EQ(menu.back().items.size(), configured ? 3u : 2u);
        EXPECT_EQ(menu.back().items[1].title,
                  configured ? "Check for Updates\u2026" : "About Veyrune");
        EXPECT_EQ(menu[6].title, "USB attached: Key");
    }
}

TEST(DesktopEntryActions, OfferTheQuickMenusActionsInItsOrderAndPerformThemByName) {
    auto menu = DockMenuBuilder::makeMenu(MenuPanelSnapshot::make(true, std::nullopt, true),
                                          {"USB attached: Key \u2014 10:42"}, true);
    auto actions = desktopEntryActions(menu);
    std::vector<DesktopEntryAction> expected{{"toggle-arm", "Arm or Disarm"},
                                             {"timeline", "Timeline"},
                                             {"evidence", "Evidence"},
                                             {"settings", "Settings\u2026"},
                                             {"getting-started", "Getting Started"},
                                             {"check-for-updates", "Check for Updates\u2026"},
                                             {"about", "About Veyrune"}};
    EXPECT_EQ(actions, expected);
    for (const auto& action : actions) {
        EXPECT_TRUE(appActionNamed(action.name, false)) << action.name;
    }

    auto text = desktopEntryActionGroups({{"about", "About Veyrune"}}, "org.example.App",
                                         "/org/example/App");
    EXPECT_EQ(text,
              "Actions=about;\n\n[Desktop Action about]\nName=About Veyrune\n"
              "Exec=gdbus call --session --dest org.example.App --object-path /org/example/App "
              "--method org.freedesktop.Application.ActivateAction about [] {}\n");
}
