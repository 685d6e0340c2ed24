#pragma once

#include <charconv>
#include <map>
#include <mutex>
#include <variant>

#include "base/Preferences.h"

namespace veyrune::test {

// Preferences in a map, over an administrator's defaults kept as the text of
// their file ("true", "7", "host:514"). A value of another type reads as the
// administrator's, else absent.
class InMemoryPreferences final : public Preferences {
  public:
    using Value = std::variant<bool, std::int64_t, double, std::string>;

    // What an administrator's file says for `key`.
    void setByAdministrator(const std::string& key, std::string text) {
        std::lock_guard lock(mutex_);
        administrator_[key] = std::move(text);
    }

    PreferenceOrigin origin(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        if (values_.contains(key)) {
            return PreferenceOrigin::user;
        }
        return administrator_.contains(key) ? PreferenceOrigin::administrator
                                            : PreferenceOrigin::none;
    }
    std::optional<std::string> administratorValue(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        auto it = administrator_.find(key);
        return it == administrator_.end() ? std::nullopt : std::optional(it->second);
    }
    bool contains(const std::string& key) const override {
        return origin(key) != PreferenceOrigin::none;
    }
    std::optional<bool> boolValue(const std::string& key) const override { return get<bool>(key); }
    std::optional<std::int64_t> intValue(const std::string& key) const override {
        return get<std::int64_t>(key);
    }
    std::optional<double> doubleValue(const std::string& key) const override {
        return get<double>(key);
    }
    std::optional<std::string> stringValue(const std::string& key) const override {
        return get<std::string>(key);
    }
    void set(const std::string& key, bool value) override { put(key, value); }
    void set(const std::string& key, std::int64_t value) override { put(key, value); }
    void set(const std::string& key, double value) override { put(key, value); }
    void set(const std::string& key, const std::string& value) override { put(key, value); }
    void remove(const std::string& key) override {
        std::lock_guard lock(mutex_);
        values_.erase(key);
    }
    using Preferences::boolValue;
    using Preferences::doubleValue;
    using Preferences::intValue;
    using Preferences::set;
    using Preferences::stringValue;

  private:
    template <typename T>
    static std::optional<T> parse(const std::string& text) {
        if constexpr (std::is_same_v<T, std::string>) {
            return text;
        } else if constexpr (std::is_same_v<T, bool>) {
            return text == "true"    ? std::optional(true)
                   : text == "false" ? std::optional(false)
                                     : std::nullopt;
        } else {
            T number{};
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error != std::errc() || end != text.data() + text.size()) {
                return std::nullopt;
            }
            return number;
        }
    }
    template <typename T>
    std::optional<T> get(const std::string& key) const {
        std::lock_guard lock(mutex_);
        if (auto it = values_.find(key);
            it != values_.end() && std::holds_alternative<T>(it->second)) {
            return std::get<T>(it->second);
        }
        auto it = administrator_.find(key);
        return it == administrator_.end() ? std::nullopt : parse<T>(it->second);
    }
    void put(const std::string& key, Value value) {
        std::lock_guard lock(mutex_);
        values_[key] = std::move(value);
    }

    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;               // guarded by mutex_
    std::map<std::string, std::string> administrator_;  // guarded by mutex_
};

}  // namespace veyrune::test
