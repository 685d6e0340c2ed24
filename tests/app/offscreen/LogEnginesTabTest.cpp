#include "app/shell/LogEnginesSettingsTab.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ShellHarness.h"

namespace veyrune::test {
namespace {

// The tab alone over in-memory preferences; its checks run inline.
struct Tab {
    explicit Tab(const std::function<void(InMemoryPreferences&)>& prepare) {
        prepare(preferences);
        settings = std::make_unique<SettingsBridge>(preferences, keychain);
        tab = std::make_unique<LogEnginesSettingsTab>(*settings, tasks, PosixFileSystem::shared());
    }

    template <typename T>
    T& named(const QString& name) {
        auto* found = tab->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return *found;
    }
    QLineEdit& field(StringSetting setting) { return named<QLineEdit>(setting.key); }
    QCheckBox& journal() { return named<QCheckBox>(Settings::recordInSystemJournal.key); }
    AdministratorNote& note(const char* key) {
        return named<AdministratorNote>(QString::fromLatin1(key) + "Note");
    }
    // What the note says, or nothing while it is hidden.
    std::optional<QString> says(const char* key) {
        auto& shown = note(key);
        if (shown.isHidden()) {
            return std::nullopt;
        }
        return shown.label().text() + (shown.button().isHidden() ? "" : " [button]");
    }
    void save() {
        auto& message = named<QLabel>("collectorMessage");
        message.clear();
        tab->saveCollector();
        waitUntil([&] { return !message.text().isEmpty(); });
    }
    QString message() { return named<QLabel>("collectorMessage").text(); }

    InMemoryPreferences preferences;
    InMemoryKeychainStore keychain;
    InlineTaskPool tasks;
    std::unique_ptr<SettingsBridge> settings;
    std::unique_ptr<LogEnginesSettingsTab> tab;
};

TEST(LogEnginesTabTest, AdministratorsValuesSaySoAndTheUserCanGoBackToThem) {
    Tab t([](InMemoryPreferences& p) {
        p.setByAdministrator("recordInSystemJournal", "true");
        p.setByAdministrator("collectorAddress", "logs.example.org:6514");
        p.setByAdministrator("collectorCAFile", "/etc/veyrune/ca.pem");
        p.set("collectorCAFile", "/home/me/ca.pem");
    });
    EXPECT_TRUE(t.journal().isChecked());
    EXPECT_EQ(t.says("recordInSystemJournal"), "Set by your administrator");
    EXPECT_EQ(t.field(Settings::collectorAddress).text(), "logs.example.org:6514");
    EXPECT_EQ(t.says("collectorAddress"), "Set by your administrator");
    EXPECT_EQ(t.field(Settings::collectorCAFile).text(), "/home/me/ca.pem");
    EXPECT_EQ(t.says("collectorCAFile"),
              "Your administrator's value: /etc/veyrune/ca.pem [button]");
    EXPECT_EQ(t.says("collectorClientKeyFile"), std::nullopt);  // nobody set it

    // The user's own value goes; the administrator's shows and applies again.
    t.note("collectorCAFile").button().click();
    EXPECT_EQ(t.field(Settings::collectorCAFile).text(), "/etc/veyrune/ca.pem");
    EXPECT_EQ(t.preferences.origin("collectorCAFile"), PreferenceOrigin::administrator);
    EXPECT_EQ(t.says("collectorCAFile"), "Set by your administrator");

    // The switch writes at once and can go back the same way.
    t.journal().click();
    EXPECT_EQ(t.preferences.origin("recordInSystemJournal"), PreferenceOrigin::user);
    EXPECT_FALSE(t.settings->value(Settings::recordInSystemJournal));
    EXPECT_EQ(t.says("recordInSystemJournal"), "Your administrator's value: on [button]");
    t.note("recordInSystemJournal").button().click();
    EXPECT_TRUE(t.journal().isChecked());
    EXPECT_EQ(t.preferences.origin("recordInSystemJournal"), PreferenceOrigin::administrator);
}

// A wrong file is refused before anything is written; a good form writes only
// what changed, so the administrator's untouched values keep following them.
TEST(LogEnginesTabTest, SavingChecksTheFormFirstAndWritesOnlyWhatChanged) {
    TempDirectory folder;
    const auto der = folder / "ca.der";
    const auto pem = folder / "ca.pem";
    writeFile(der, std::string("\x30\x82\x01\x0a", 4));
    writeFile(pem, "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    Tab t([](InMemoryPreferences& p) {
        p.setByAdministrator("collectorAddress", "logs.example.org:6514");
    });

    t.field(Settings::collectorCAFile).setText(QString::fromStdString(der.string()));
    t.field(Settings::collectorClientKeyFile).setText(QString::fromStdString(pem.string()));
    t.save();
    EXPECT_EQ(t.message().toStdString(),
              "The CA file holds no PEM certificate: " + der.string() +
                  "\nThe client key holds no private key in PEM form: " + pem.string() +
                  "\nA client certificate needs its key file, and a key file its certificate.");
    EXPECT_EQ(t.preferences.origin("collectorCAFile"), PreferenceOrigin::none);
    EXPECT_EQ(t.preferences.origin("collectorClientKeyFile"), PreferenceOrigin::none);

    t.field(Settings::collectorCAFile).setText(" " + QString::fromStdString(pem.string()) + " ");
    t.field(Settings::collectorClientKeyFile).clear();
    t.save();
    EXPECT_EQ(t.message(), "Collector settings saved.");
    EXPECT_EQ(t.settings->value(Settings::collectorCAFile), pem.string());
    EXPECT_EQ(t.preferences.origin("collectorAddress"), PreferenceOrigin::administrator);

    // Emptying the administrator's address is the user's own choice: no collector.
    t.field(Settings::collectorAddress).clear();
    t.save();
    EXPECT_EQ(t.preferences.origin("collectorAddress"), PreferenceOrigin::user);
    EXPECT_EQ(t.settings->value(Settings::collectorAddress), "");
    EXPECT_EQ(t.says("collectorAddress"),
              "Your administrator's value: logs.example.org:6514 [button]");
}

}  // namespace
}  // namespace veyrune::test
