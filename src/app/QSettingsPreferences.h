#pragma once

#include <QSettings>
#include <filesystem>
#include <mutex>

#include "base/Preferences.h"

namespace veyrune {

// The preferences in an INI file (~/.config/Veyrune/Veyrune.conf by default,
// $XDG_CONFIG_HOME honoured), written at once and kept 0600 in a 0700 folder.
// Holds no credential: the settings never write one. Safe from any thread.
class QSettingsPreferences final : public Preferences {
  public:
    explicit QSettingsPreferences(std::filesystem::path file = defaultFile());

    static std::filesystem::path defaultFile();

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
    std::optional<QVariant> stored(const std::string& key) const;
    void write(const std::string& key, const QVariant& value);
    void persist();

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    mutable QSettings settings_;  // guarded by mutex_
};

}  // namespace veyrune
