#pragma once

#include <optional>
#include <string>

#include "credentials/KeychainKey.h"

namespace veyrune {

// String secrets by key, in the user's keyring. Every operation may block on
// the keyring and throws KeychainStoreError. Implementations are safe to call
// from any thread.
class KeychainStore {
  public:
    virtual ~KeychainStore() = default;
    // The stored text; nothing when there is no item.
    virtual std::optional<std::string> string(KeychainKey key) = 0;
    // Stores the text, replacing any previous value.
    virtual void set(const std::string& value, KeychainKey key) = 0;
    // Deletes the item; a missing item is fine.
    virtual void removeValue(KeychainKey key) = 0;
};

}  // namespace veyrune
