#include "app/QSettingsPreferences.h"

#include <sys/stat.h>

#include "base/DataLocation.h"

namespace veyrune {

namespace {

// QSettings writes values back as text; "true" / "false" and plain numbers
// must read as the types they were stored as.
std::optional<bool> asBool(const QVariant& value) {
    auto text = value.toString();
    if (value.typeId() == QMetaType::Bool || text == "true" || text == "false") {
        return text == "true" || (value.typeId() == QMetaType::Bool && value.toBool());
    }
    return std::nullopt;
}

std::optional<std::int64_t> asInt(const QVariant& value) {
    bool ok = false;
    auto number = value.toString().toLongLong(&ok);
    if (ok) {
        return number;
    }
    return std::nullopt;
}

std::optional<double> asDouble(const QVariant& value) {
    bool ok = false;
    auto number = value.toString().toDouble(&ok);
    if (ok) {
        return number;
    }
    return std::nullopt;
}

}  // namespace

QSettingsPreferences::QSettingsPreferences(std::filesystem::path file)
    : file_(std::move(file)),
      settings_(QString::fromStdString(file_.string()), QSettings::IniFormat) {}

std::filesystem::path QSettingsPreferences::defaultFile() {
    return userConfigDirectory() / "Veyrune" / "Veyrune.conf";
}

std::optional<QVariant> QSettingsPreferences::stored(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto name = QString::fromStdString(key);
    if (!settings_.contains(name)) {
        return std::nullopt;
    }
    return settings_.value(name);
}

bool QSettingsPreferences::contains(const std::string& key) const {
    return stored(key).has_value();
}

std::optional<bool> QSettingsPreferences::boolValue(const std::string& key) const {
    auto value = stored(key);
    return value ? asBool(*value) : std::nullopt;
}

std::optional<std::int64_t> QSettingsPreferences::intValue(const std::string& key) const {
    auto value = stored(key);
    return value ? asInt(*value) : std::nullopt;
}

std::optional<double> QSettingsPreferences::doubleValue(const std::string& key) const {
    auto value = stored(key);
    return value ? asDouble(*value) : std::nullopt;
}

std::optional<std::string> QSettingsPreferences::stringValue(const std::string& key) const {
    auto value = stored(key);
    return value ? std::optional(value->toString().toStdString()) : std::nullopt;
}

void QSettingsPreferences::set(const std::string& key, bool value) {
    write(key, value);
}

void QSettingsPreferences::set(const std::string& key, std::int64_t value) {
    write(key, QVariant::fromValue<qlonglong>(value));
}

void QSettingsPreferences::set(const std::string& key, double value) {
    write(key, value);
}

void QSettingsPreferences::set(const std::string& key, const std::string& value) {
    write(key, QString::fromStdString(value));
}

void QSettingsPreferences::remove(const std::string& key) {
    std::lock_guard lock(mutex_);
    settings_.remove(QString::fromStdString(key));
    persist();
}

void QSettingsPreferences::write(const std::string& key, const QVariant& value) {
    std::lock_guard lock(mutex_);
    settings_.setValue(QString::fromStdString(key), value);
    persist();
}

void QSettingsPreferences::persist() {
    // The process umask (077) keeps new files private; this keeps older ones so.
    auto folder = file_.parent_path();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    ::chmod(folder.c_str(), 0700);
    settings_.sync();
    ::chmod(file_.c_str(), 0600);
}

}  // namespace veyrune
