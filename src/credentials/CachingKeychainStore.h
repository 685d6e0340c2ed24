#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "credentials/KeychainChangeSource.h"
#include "credentials/KeychainStore.h"

namespace veyrune {

// Remembers what the keyring answered, so that a send does not wait on the
// Secret Service each time. Anything remembered is forgotten when `changes`
// reports a change made by anyone, and nothing is remembered while it cannot
// report. A write wins over every read or write that overlaps it: those are
// never remembered. Failures are never remembered. Holds a reference:
// `keyring` must outlive it; owns `changes`. Any thread.
class CachingKeychainStore final : public KeychainStore {
  public:
    CachingKeychainStore(KeychainStore& keyring, std::unique_ptr<KeychainChangeSource> changes);

    std::optional<std::string> string(KeychainKey key) override;
    void set(const std::string& value, KeychainKey key) override;
    void removeValue(KeychainKey key) override;
    // Drops everything remembered; reads in flight are not remembered either.
    void forget();

  private:
    struct Entry {
        bool known = false;
        std::optional<std::string> value;
        // Moves when a write to the key starts or ends and when the key is
        // forgotten: an answer is kept only if it did not move meanwhile.
        std::uint64_t sequence = 0;
        int writesInFlight = 0;
    };
    template <typename Write>
    void write(KeychainKey key, std::optional<std::string> value, Write&& perform);
    bool mayRemember() const;
    Entry& entry(KeychainKey key) { return entries_[static_cast<std::size_t>(key)]; }

    KeychainStore& keyring_;
    std::mutex mutex_;
    std::array<Entry, allKeychainKeys.size()> entries_;  // guarded by mutex_
    // Last member: stopped first, so no report reaches a half-destroyed cache.
    std::unique_ptr<KeychainChangeSource> changes_;
};

}  // namespace veyrune
