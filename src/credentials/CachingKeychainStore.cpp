#include "credentials/CachingKeychainStore.h"

namespace veyrune {

CachingKeychainStore::CachingKeychainStore(KeychainStore& keyring) : keyring_(keyring) {}

std::optional<std::string> CachingKeychainStore::string(KeychainKey key) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        const Entry& entry = entries_[static_cast<std::size_t>(key)];
        if (entry.known) {
            return entry.value;
        }
        generation = generation_;
    }
    // The keyring is asked without the lock: a slow answer holds up no one else.
    auto value = keyring_.string(key);
    remember(key, value, generation);
    return value;
}

void CachingKeychainStore::set(const std::string& value, KeychainKey key) {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        entries_[static_cast<std::size_t>(key)] = {};
    }
    keyring_.set(value, key);
    std::lock_guard lock(mutex_);
    entries_[static_cast<std::size_t>(key)] = {true, value};
}

void CachingKeychainStore::removeValue(KeychainKey key) {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        entries_[static_cast<std::size_t>(key)] = {};
    }
    keyring_.removeValue(key);
    std::lock_guard lock(mutex_);
    entries_[static_cast<std::size_t>(key)] = {true, std::nullopt};
}

void CachingKeychainStore::forget() {
    std::lock_guard lock(mutex_);
    ++generation_;
    entries_ = {};
}

void CachingKeychainStore::remember(KeychainKey key, std::optional<std::string> value,
                                    std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (generation == generation_) {
        entries_[static_cast<std::size_t>(key)] = {true, std::move(value)};
    }
}

}  // namespace veyrune
