// The preferences over real INI files: the user's own file above the
// administrators' defaults in the system's configuration folders.
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "app/QSettingsPreferences.h"
#include "model/SettingsBridge.h"
#include "support/InMemoryKeychainStore.h"
#include "support/TempDirectory.h"

namespace veyrune::test {
namespace {

// One user file and two administrators' folders, most important first, each
// written only when its text is given.
struct Files {
    explicit Files(const char* user = nullptr, const char* first = nullptr,
                   const char* second = nullptr) {
        write(userFile(), user);
        write(administratorFile(0), first);
        write(administratorFile(1), second);
    }

    std::filesystem::path userFile() const { return folder / "home/Veyrune/Veyrune.conf"; }
    std::filesystem::path administratorFile(int index) const {
        return folder / ("etc" + std::to_string(index)) / "Veyrune/Veyrune.conf";
    }
    QSettingsPreferences open() const {
        return QSettingsPreferences(userFile(), {administratorFile(0), administratorFile(1)});
    }

    static void write(const std::filesystem::path& file, const char* text) {
        if (text) {
            std::filesystem::create_directories(file.parent_path());
            writeFile(file, text);
        }
    }

    TempDirectory folder;
};

TEST(AdministratorDefaults, UserValueWinsThenTheFirstAdministratorWhoSetTheKey) {
    struct Case {
        const char* name;
        const char* user;
        const char* first;
        const char* second;
        std::string address;  // collectorAddress as read
        PreferenceOrigin origin;
        std::optional<std::string> administrator;
    } cases[] = {
        {"nothing anywhere", nullptr, nullptr, nullptr, "", PreferenceOrigin::none, std::nullopt},
        {"only the less important folder", nullptr, "[General]\nrecordInSystemJournal=true\n",
         "[General]\ncollectorAddress=b.example:2514\n", "b.example:2514",
         PreferenceOrigin::administrator, "b.example:2514"},
        {"both folders", nullptr, "[General]\ncollectorAddress=a.example:2514\n",
         "[General]\ncollectorAddress=b.example:2514\n", "a.example:2514",
         PreferenceOrigin::administrator, "a.example:2514"},
        {"the user's own value hides the administrator's",
         "[General]\ncollectorAddress=mine:6514\n", "[General]\ncollectorAddress=a.example:2514\n",
         nullptr, "mine:6514", PreferenceOrigin::user, "a.example:2514"},
        {"an empty value of the user's still counts as theirs", "[General]\ncollectorAddress=\n",
         "[General]\ncollectorAddress=a.example:2514\n", nullptr, "", PreferenceOrigin::user,
         "a.example:2514"},
        {"written by hand: no section, comments, blank lines", nullptr,
         "# Veyrune for every laptop\n; the collector\n\ncollectorAddress = a.example:2514\n",
         nullptr, "a.example:2514", PreferenceOrigin::administrator, "a.example:2514"},
        {"a comma is kept", nullptr, "collectorAddress=a.example:2514, b.example:2514\n", nullptr,
         "a.example:2514, b.example:2514", PreferenceOrigin::administrator,
         "a.example:2514, b.example:2514"},
        {"another section is not Veyrune's", nullptr, "[Other]\ncollectorAddress=x:1\n", nullptr,
         "", PreferenceOrigin::none, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Files files(c.user, c.first, c.second);
        auto preferences = files.open();
        EXPECT_EQ(preferences.stringValue(Settings::collectorAddress.key, ""), c.address);
        EXPECT_EQ(preferences.origin(Settings::collectorAddress.key), c.origin);
        EXPECT_EQ(preferences.contains(Settings::collectorAddress.key),
                  c.origin != PreferenceOrigin::none);
        EXPECT_EQ(preferences.administratorValue(Settings::collectorAddress.key), c.administrator);
    }
}

TEST(AdministratorDefaults, SwitchesReadTheAdministratorsTextAndAnUnreadableUserValueFallsBack) {
    struct Case {
        const char* user;
        const char* administrator;
        bool on;
        std::optional<bool> administratorSwitch;
    } cases[] = {
        {nullptr, "recordInSystemJournal=true\n", true, true},
        {"[General]\nrecordInSystemJournal=false\n", "recordInSystemJournal=true\n", false, true},
        // Not a switch value: the default, and nothing to offer back.
        {nullptr, "recordInSystemJournal=yes\n", false, std::nullopt},
        // The user's file was edited into nonsense: the administrator's value holds.
        {"[General]\nrecordInSystemJournal=maybe\n", "recordInSystemJournal=true\n", true, true},
    };
    InMemoryKeychainStore keychain;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.administrator);
        Files files(c.user, c.administrator);
        auto preferences = files.open();
        SettingsBridge settings(preferences, keychain);
        EXPECT_EQ(settings.value(Settings::recordInSystemJournal), c.on);
        EXPECT_EQ(settings.administratorValue(Settings::recordInSystemJournal),
                  c.administratorSwitch);
    }
}

// The administrator's file is never written, whatever the user does; going
// back to the administrator's value takes the user's key out of their file.
TEST(AdministratorDefaults, WritesGoToTheUsersFileOnlyAndRemovalBringsTheAdministratorBack) {
    const char* administrator = "[General]\ncollectorCAFile=/etc/veyrune/ca.pem\n";
    Files files(nullptr, administrator);
    InMemoryKeychainStore keychain;
    {
        auto preferences = files.open();
        SettingsBridge settings(preferences, keychain);
        std::vector<std::string> told;
        settings.addObserver([&](const char* key) { told.emplace_back(key); });

        settings.set(Settings::collectorCAFile, std::string("/home/me/ca.pem"));
        EXPECT_EQ(settings.value(Settings::collectorCAFile), "/home/me/ca.pem");
        EXPECT_EQ(settings.origin(Settings::collectorCAFile.key), PreferenceOrigin::user);
        EXPECT_NE(readFile(files.userFile()).find("/home/me/ca.pem"), std::string::npos);

        settings.useAdministratorValue(Settings::collectorCAFile.key);
        EXPECT_EQ(settings.value(Settings::collectorCAFile), "/etc/veyrune/ca.pem");
        EXPECT_EQ(settings.origin(Settings::collectorCAFile.key), PreferenceOrigin::administrator);
        EXPECT_EQ(told, (std::vector<std::string>{"collectorCAFile", "collectorCAFile"}));
        settings.set(Settings::collectorAddress, std::string("mine:6514"));
    }
    EXPECT_EQ(readFile(files.administratorFile(0)), administrator);
    EXPECT_EQ(readFile(files.userFile()).find("collectorCAFile"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(files.userFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A later start reads the same: the user's address, the administrator's CA.
    auto again = files.open();
    EXPECT_EQ(again.stringValue(Settings::collectorAddress.key, ""), "mine:6514");
    EXPECT_EQ(again.stringValue(Settings::collectorCAFile.key, ""), "/etc/veyrune/ca.pem");
}

// Nothing is ever made where an administrator's file could be.
TEST(AdministratorDefaults, AFolderOrNothingWhereTheFileShouldBeSetsNothingAndStaysSo) {
    Files files(nullptr, nullptr, "collectorAddress=b.example:2514\n");
    std::filesystem::create_directories(files.administratorFile(0));
    const auto absent = files.folder / "etc2/Veyrune/Veyrune.conf";
    {
        QSettingsPreferences preferences(
            files.userFile(), {files.administratorFile(0), absent, files.administratorFile(1)});
        EXPECT_EQ(preferences.stringValue(Settings::collectorAddress.key, ""), "b.example:2514");
        preferences.set(Settings::collectorAddress.key, "mine:6514");
        preferences.remove(Settings::collectorAddress.key);
    }
    EXPECT_TRUE(std::filesystem::is_directory(files.administratorFile(0)));
    EXPECT_FALSE(std::filesystem::exists(absent.parent_path()));
}

// The program looks where the environment says at the moment it starts, in
// Veyrune's own folder of each.
TEST(AdministratorDefaults, TheProgramsFilesFollowXDGConfigDirs) {
    const char* saved = std::getenv("XDG_CONFIG_DIRS");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_DIRS", "/etc/company:relative:/etc/xdg", 1);
    EXPECT_EQ(QSettingsPreferences::defaultAdministratorFiles(),
              (std::vector<std::filesystem::path>{"/etc/company/Veyrune/Veyrune.conf",
                                                  "/etc/xdg/Veyrune/Veyrune.conf"}));
    if (saved) {
        ::setenv("XDG_CONFIG_DIRS", previous.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_DIRS");
    }
}

// The sample for administrators sets nothing as shipped, and each setting
// reads as documented once its "#" is removed.
TEST(AdministratorDefaults, TheSampleFileSetsNothingUntilItsLinesAreUncommented) {
    const std::string sample =
        readFile(std::filesystem::path(VEYRUNE_TESTS_SOURCE_DIR) / "../docs/fleet/Veyrune.conf");
    Files shipped(nullptr, sample.c_str());
    auto preferences = shipped.open();
    std::string uncommented;
    std::istringstream lines(sample);
    for (std::string line; std::getline(lines, line);) {
        const bool setting =
            line.size() > 1 && line[0] == '#' && std::isalpha(static_cast<unsigned char>(line[1]));
        uncommented += (setting ? line.substr(1) : line) + "\n";
    }
    Files edited(nullptr, uncommented.c_str());
    auto used = edited.open();
    const std::pair<StringSetting, const char*> expected[] = {
        {Settings::collectorAddress, "logs.example.org:6514"},
        {Settings::collectorCAFile, "/etc/veyrune/collector-ca.pem"},
        {Settings::collectorClientCertificateFile, "/etc/veyrune/client.pem"},
        {Settings::collectorClientKeyFile, "/etc/veyrune/client.key"},
    };
    for (const auto& [setting, value] : expected) {
        EXPECT_EQ(preferences.origin(setting.key), PreferenceOrigin::none) << setting.key;
        EXPECT_EQ(used.stringValue(setting.key, ""), value) << setting.key;
        EXPECT_EQ(used.origin(setting.key), PreferenceOrigin::administrator) << setting.key;
    }
    EXPECT_EQ(preferences.origin(Settings::recordInSystemJournal.key), PreferenceOrigin::none);
    EXPECT_EQ(used.boolValue(Settings::recordInSystemJournal.key), true);
}

}  // namespace
}  // namespace veyrune::test
