#include "credentials/CachingKeychainStore.h"

namespace veyrune {

CachingKeychainStore::CachingKeychainStore(KeychainStore& keyring,
                                           std::unique_ptr<KeychainChangeSource> changes)
    : keyring_(keyring), changes_(std::move(changes)) {
    changes_->start([this] { forget(); });
}

std::optional<std::string> CachingKeychainStore::string(KeychainKey key) {
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        const Entry& current = entry(key);
        if (current.known) {
            return current.value;
        }
        sequence = current.sequence;
    }
    // The keyring is asked without the lock: a slow answer holds up no one else.
    auto value = keyring_.string(key);
    std::lock_guard lock(mutex_);
    Entry& current = entry(key);
    if (current.sequence == sequence && current.writesInFlight == 0 && mayRemember()) {
        current.known = true;
        current.value = value;
    }
    return value;
}

void CachingKeychainStore::set(const std::string& value, KeychainKey key) {
    write(key, value, [&] { keyring_.set(value, key); });
}

void CachingKeychainStore::removeValue(KeychainKey key) {
    write(key, std::nullopt, [&] { keyring_.removeValue(key); });
}

template <typename Write>
void CachingKeychainStore::write(KeychainKey key, std::optional<std::string> value,
                                 Write&& perform) {
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        Entry& current = entry(key);
        current.known = false;
        current.value.reset();
        sequence = ++current.sequence;
        ++current.writesInFlight;
    }
    try {
        perform();
    } catch (...) {
        std::lock_guard lock(mutex_);
        Entry& current = entry(key);
        ++current.sequence;
        --current.writesInFlight;
        throw;
    }
    std::lock_guard lock(mutex_);
    Entry& current = entry(key);
    // Another write that overlapped this one may have reached the keyring last.
    bool alone = current.sequence == sequence && current.writesInFlight == 1;
    ++current.sequence;
    --current.writesInFlight;
    if (alone && mayRemember()) {
        current.known = true;
        current.value = std::move(value);
    }
}

void CachingKeychainStore::forget() {
    std::lock_guard lock(mutex_);
    for (Entry& current : entries_) {
        current.known = false;
        current.value.reset();
        ++current.sequence;
    }
}

bool CachingKeychainStore::mayRemember() const {
    return changes_->isWatching();
}

}  // namespace veyrune
