#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "credentials/KeychainStore.h"

namespace veyrune {

// Remembers what the keyring answered, so that a send does not wait on the
// Secret Service each time. Veyrune is the only writer of its items and every
// write goes through here, so the memory stays true; `forget()` drops it when
// the user may have changed the items elsewhere. Failures are never
// remembered. Holds a reference: `keyring` must outlive it. Any thread.
class CachingKeychainStore final : public KeychainStore {
  public:
    explicit CachingKeychainStore(KeychainStore& keyring);

    std::optional<std::string> string(KeychainKey key) override;
    void set(const std::string& value, KeychainKey key) override;
    void removeValue(KeychainKey key) override;
    void forget();

  private:
    struct Entry {
        bool known = false;
        std::optional<std::string> value;
    };
    void remember(KeychainKey key, std::optional<std::string> value, std::uint64_t generation);

    KeychainStore& keyring_;
    std::mutex mutex_;
    // Guarded by mutex_. The generation moves on every write and forget, so a
    // read that overlapped one does not put back what it replaced.
    std::array<Entry, allKeychainKeys.size()> entries_;
    std::uint64_t generation_ = 0;
};

}  // namespace veyrune
