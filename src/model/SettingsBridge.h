#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/Preferences.h"
#include "base/TaskPool.h"
#include "credentials/TelegramConfigurationStore.h"
#include "model/Settings.h"
#include "record/DeliveryChannelKind.h"

namespace veyrune {

// The one settings object of the process: typed reads and writes of the
// preferences in `Settings`, each write at once and told to the observers.
// Creating it moves any legacy Telegram credentials out of the preferences
// (an error is ignored); the move reads the keyring, so it runs on
// `blockingIO` when one is given (never wait for a keyring on the main
// thread), else in place. Reads and writes from any thread; observers run on
// the writing thread. `preferences`, `keychain` and `blockingIO` must outlive it.
class SettingsBridge {
  public:
    using Observer = std::function<void(const char* key)>;

    SettingsBridge(Preferences& preferences, KeychainStore& keychain,
                   TaskPool* blockingIO = nullptr);

    bool value(BoolSetting setting) const;
    std::int64_t value(IntSetting setting) const;
    std::string value(StringSetting setting) const;
    void set(BoolSetting setting, bool value);
    void set(IntSetting setting, std::int64_t value);
    void set(StringSetting setting, const std::string& value);

    // Whether the value shown is the user's own, the administrator's, or the default.
    PreferenceOrigin origin(const char* key) const;
    // What the administrator set; nothing when they set none (or, for a
    // switch, something other than true or false).
    std::optional<bool> administratorValue(BoolSetting setting) const;
    std::optional<std::string> administratorValue(StringSetting setting) const;
    // Drops the user's own value, so the administrator's (or the default) applies again.
    void useAdministratorValue(const char* key);

    // telegram when "enableTelegram" is on, webhook when "enableWebhook" is on.
    std::set<DeliveryChannelKind> enabledChannels() const;
    // The size cap for retention: nothing when "evidenceMaxMB" is 0.
    std::optional<std::int64_t> evidenceSizeCapMB() const;

    TelegramConfigurationStore& telegramConfiguration() { return telegram_; }
    Preferences& preferences() { return preferences_; }

    void addObserver(Observer observer);

  private:
    void changed(const char* key);

    Preferences& preferences_;
    TelegramConfigurationStore telegram_;
    std::mutex observersMutex_;
    std::vector<Observer> observers_;  // guarded by observersMutex_
};

}  // namespace veyrune
