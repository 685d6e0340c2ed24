#include "model/SettingsBridge.h"

namespace veyrune {

SettingsBridge::SettingsBridge(Preferences& preferences, KeychainStore& keychain,
                               TaskPool* blockingIO)
    : preferences_(preferences), telegram_(preferences, keychain) {
    auto migrate = [this] {
        try {
            telegram_.migrateLegacyPreferences();
        } catch (...) {
            // A locked or missing keyring: the legacy values stay until the next start.
        }
    };
    if (blockingIO) {
        blockingIO->run(migrate);
    } else {
        migrate();
    }
}

bool SettingsBridge::value(BoolSetting setting) const {
    return preferences_.boolValue(setting.key, setting.defaultValue);
}

std::int64_t SettingsBridge::value(IntSetting setting) const {
    return preferences_.intValue(setting.key, setting.defaultValue);
}

std::string SettingsBridge::value(StringSetting setting) const {
    return preferences_.stringValue(setting.key, setting.defaultValue);
}

void SettingsBridge::set(BoolSetting setting, bool value) {
    preferences_.set(setting.key, value);
    changed(setting.key);
}

void SettingsBridge::set(IntSetting setting, std::int64_t value) {
    preferences_.set(setting.key, value);
    changed(setting.key);
}

void SettingsBridge::set(StringSetting setting, const std::string& value) {
    preferences_.set(setting.key, value);
    changed(setting.key);
}

PreferenceOrigin SettingsBridge::origin(const char* key) const {
    return preferences_.origin(key);
}

std::optional<bool> SettingsBridge::administratorValue(BoolSetting setting) const {
    auto text = preferences_.administratorValue(setting.key);
    if (text == "true" || text == "false") {
        return text == "true";
    }
    return std::nullopt;
}

std::optional<std::string> SettingsBridge::administratorValue(StringSetting setting) const {
    return preferences_.administratorValue(setting.key);
}

void SettingsBridge::useAdministratorValue(const char* key) {
    preferences_.remove(key);
    changed(key);
}

std::set<DeliveryChannelKind> SettingsBridge::enabledChannels() const {
    std::set<DeliveryChannelKind> channels;
    if (value(Settings::enableTelegram)) {
        channels.insert(DeliveryChannelKind::telegram);
    }
    if (value(Settings::enableWebhook)) {
        channels.insert(DeliveryChannelKind::webhook);
    }
    return channels;
}

std::optional<std::int64_t> SettingsBridge::evidenceSizeCapMB() const {
    auto cap = value(Settings::evidenceMaxMB);
    return cap == 0 ? std::nullopt : std::optional(cap);
}

void SettingsBridge::addObserver(Observer observer) {
    std::lock_guard lock(observersMutex_);
    observers_.push_back(std::move(observer));
}

void SettingsBridge::changed(const char* key) {
    std::vector<Observer> observers;
    {
        std::lock_guard lock(observersMutex_);
        observers = observers_;
    }
    for (const auto& observer : observers) {
        observer(key);
    }
}

}  // namespace veyrune
