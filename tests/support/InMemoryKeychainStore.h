#pragma once

#include <map>
#include <mutex>
#include <set>

#include "credentials/KeychainStore.h"
#include "credentials/KeychainStoreError.h"

namespace veyrune::test {

// A keyring in a map, with failures on demand: reads of every key, or writes
// and removals of chosen keys, throw unexpectedStatus(-25308).
class InMemoryKeychainStore final : public KeychainStore {
  public:
    std::optional<std::string> string(KeychainKey key) override {
        std::lock_guard lock(mutex_);
        if (failReads_) {
            throw KeychainStoreError::unexpectedStatus(kFailure);
        }
        auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->second);
    }
    void set(const std::string& value, KeychainKey key) override {
        std::lock_guard lock(mutex_);
        if (failingWrites_.contains(key)) {
            throw KeychainStoreError::unexpectedStatus(kFailure);
        }
        values_[key] = value;
    }
    void removeValue(KeychainKey key) override {
        std::lock_guard lock(mutex_);
        if (failingWrites_.contains(key)) {
            throw KeychainStoreError::unexpectedStatus(kFailure);
        }
        values_.erase(key);
    }

    void failReads(bool fail) {
        std::lock_guard lock(mutex_);
        failReads_ = fail;
    }
    void failWrites(KeychainKey key) {
        std::lock_guard lock(mutex_);
        failingWrites_.insert(key);
    }
    // The stored value without failure injection; nothing when absent.
    std::optional<std::string> peek(KeychainKey key) const {
        std::lock_guard lock(mutex_);
        auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->second);
    }

  private:
    static constexpr std::int32_t kFailure = -25308;

    mutable std::mutex mutex_;
    std::map<KeychainKey, std::string> values_;  // guarded by mutex_
    std::set<KeychainKey> failingWrites_;        // guarded by mutex_
    bool failReads_ = false;                     // guarded by mutex_
};

}  // namespace veyrune::test
