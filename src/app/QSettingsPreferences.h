#pragma once

#include <QSettings>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Preferences.h"

namespace veyrune {

// The preferences in INI files: the user's own (~/.config/Veyrune/Veyrune.conf
// by default, $XDG_CONFIG_HOME honoured), written at once and kept 0600 in a
// 0700 folder, over the administrator's defaults (Veyrune/Veyrune.conf in each
// of $XDG_CONFIG_DIRS, by default /etc/xdg), which are only read; for each key
// the first administrator's file that sets it wins. A missing or unreadable
// file sets nothing. Holds no credential: the settings never write one. Safe
// from any thread.
class QSettingsPreferences final : public Preferences {
  public:
    explicit QSettingsPreferences(
        std::filesystem::path file = defaultFile(),
        std::vector<std::filesystem::path> administratorFiles = defaultAdministratorFiles());

    static std::filesystem::path defaultFile();
    static std::vector<std::filesystem::path> defaultAdministratorFiles();

    PreferenceOrigin origin(const std::string& key) const override;
    std::optional<std::string> administratorValue(const std::string& key) const override;

    bool contains(const std::string& key) const override;
    std::optional<bool> boolValue(const std::string& key) const override;
    std::optional<std::int64_t> intValue(const std::string& key) const override;
    std::optional<double> doubleValue(const std::string& key) const override;
    std::optional<std::string> stringValue(const std::string& key) const override;

    void set(const std::string& key, bool value) override;
    void set(const std::string& key, std::int64_t value) override;
    void set(const std::string& key, double value) override;
    void set(const std::string& key, const std::string& value) override;
    void remove(const std::string& key) override;
    using Preferences::boolValue;
    using Preferences::doubleValue;
    using Preferences::intValue;
    using Preferences::set;
    using Preferences::stringValue;

  private:
    // The user's value of `key`, else the first administrator's.
    std::optional<QVariant> userValue(const std::string& key) const;
    std::optional<QVariant> administratorStored(const std::string& key) const;
    // The user's value if it converts, else the administrator's.
    template <typename Convert>
    auto read(const std::string& key, Convert convert) const -> decltype(convert(QVariant()));
    void write(const std::string& key, const QVariant& value);
    void persist();

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    mutable QSettings settings_;  // guarded by mutex_
    // Read only, most important first.
    std::vector<std::unique_ptr<QSettings>> administrator_;  // guarded by mutex_
};

}  // namespace veyrune
