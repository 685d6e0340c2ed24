#pragma once

#include <map>
#include <mutex>
#include <variant>

#include "base/Preferences.h"

namespace veyrune::test {

// Preferences in a map. A value of another type reads as absent.
class InMemoryPreferences final : public Preferences {
  public:
    using Value = std::variant<bool, std::int64_t, double, std::string>;

    bool contains(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        return values_.contains(key);
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
    std::optional<T> get(const std::string& key) const {
        std::lock_guard lock(mutex_);
        auto it = values_.find(key);
        if (it == values_.end() || !std::holds_alternative<T>(it->second)) {
            return std::nullopt;
        }
        return std::get<T>(it->second);
    }
    void put(const std::string& key, Value value) {
        std::lock_guard lock(mutex_);
        values_[key] = std::move(value);
    }

    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;  // guarded by mutex_
};

}  // namespace veyrune::test
