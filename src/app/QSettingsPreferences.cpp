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

// INI text with a comma reads as a list; an unquoted "a, b" is still one text.
std::optional<std::string> asString(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    return value.toString().toStdString();
}

}  // namespace

QSettingsPreferences::QSettingsPreferences(std::filesystem::path file,
                                           std::vector<std::filesystem::path> administratorFiles)
    : file_(std::move(file)),
      settings_(QString::fromStdString(file_.string()), QSettings::IniFormat) {
    for (const auto& path : administratorFiles) {
        administrator_.push_back(std::make_unique<QSettings>(QString::fromStdString(path.string()),
                                                             QSettings::IniFormat));
    }
}

std::filesystem::path QSettingsPreferences::defaultFile() {
    return userConfigDirectory() / "Veyrune" / "Veyrune.conf";
}

std::vector<std::filesystem::path> QSettingsPreferences::defaultAdministratorFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& folder : systemConfigDirectories()) {
        files.push_back(folder / "Veyrune" / "Veyrune.conf");
    }
    return files;
}

std::optional<QVariant> QSettingsPreferences::userValue(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto name = QString::fromStdString(key);
    if (!settings_.contains(name)) {
        return std::nullopt;
    }
    return settings_.value(name);
}

std::optional<QVariant> QSettingsPreferences::administratorStored(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto name = QString::fromStdString(key);
    for (const auto& file : administrator_) {
        if (file->contains(name)) {
            return file->value(name);
        }
    }
    return std::nullopt;
}

template <typename Convert>
auto QSettingsPreferences::read(const std::string& key, Convert convert) const
    -> decltype(convert(QVariant())) {
    if (auto own = userValue(key)) {
        if (auto value = convert(*own)) {
            return value;
        }
    }
    auto fallback = administratorStored(key);
    return fallback ? convert(*fallback) : std::nullopt;
}

PreferenceOrigin QSettingsPreferences::origin(const std::string& key) const {
    if (userValue(key)) {
        return PreferenceOrigin::user;
    }
    return administratorStored(key) ? PreferenceOrigin::administrator : PreferenceOrigin::none;
}

std::optional<std::string> QSettingsPreferences::administratorValue(const std::string& key) const {
    auto value = administratorStored(key);
    return value ? asString(*value) : std::nullopt;
}

bool QSettingsPreferences::contains(const std::string& key) const {
    return origin(key) != PreferenceOrigin::none;
}

std::optional<bool> QSettingsPreferences::boolValue(const std::string& key) const {
    return read(key, asBool);
}

std::optional<std::int64_t> QSettingsPreferences::intValue(const std::string& key) const {
    return read(key, asInt);
}

std::optional<double> QSettingsPreferences::doubleValue(const std::string& key) const {
    return read(key, asDouble);
}

std::optional<std::string> QSettingsPreferences::stringValue(const std::string& key) const {
    return read(key, asString);
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
