#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace veyrune {

// Where a preference's value comes from: nowhere (its default), the user's
// own settings, or the defaults an administrator set for every user.
enum class PreferenceOrigin { none, user, administrator };

// The user's preferences: typed reads with a default, writes, removal.
// Reads see the user's own value, else the administrator's; writes and
// removal touch only the user's, so removing a key brings the administrator's
// value back. Implementations are safe to call from any thread. A stored
// value of another type reads as the default.
class Preferences {
  public:
    virtual ~Preferences() = default;

    virtual PreferenceOrigin origin(const std::string& key) const = 0;
    // The administrator's value as written in their file ("true", "10.0.0.5:2514"),
    // whether or not the user's own value hides it; nothing when they set none.
    virtual std::optional<std::string> administratorValue(const std::string& key) const = 0;

    virtual bool contains(const std::string& key) const = 0;
    virtual std::optional<bool> boolValue(const std::string& key) const = 0;
    virtual std::optional<std::int64_t> intValue(const std::string& key) const = 0;
    virtual std::optional<double> doubleValue(const std::string& key) const = 0;
    virtual std::optional<std::string> stringValue(const std::string& key) const = 0;

    virtual void set(const std::string& key, bool value) = 0;
    virtual void set(const std::string& key, std::int64_t value) = 0;
    virtual void set(const std::string& key, double value) = 0;
    virtual void set(const std::string& key, const std::string& value) = 0;
    virtual void remove(const std::string& key) = 0;

    bool boolValue(const std::string& key, bool fallback) const {
        return boolValue(key).value_or(fallback);
    }
    std::int64_t intValue(const std::string& key, std::int64_t fallback) const {
        return intValue(key).value_or(fallback);
    }
    double doubleValue(const std::string& key, double fallback) const {
        return doubleValue(key).value_or(fallback);
    }
    std::string stringValue(const std::string& key, const std::string& fallback) const {
        return stringValue(key).value_or(fallback);
    }
    // Keeps a string literal from picking the bool overload.
    void set(const std::string& key, const char* value) { set(key, std::string(value)); }
};

}  // namespace veyrune
