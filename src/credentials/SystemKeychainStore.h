#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "credentials/KeychainStore.h"

namespace veyrune {

// KeychainStore over the Secret Service (libsecret). A key's item is any item,
// in any collection and written by any client, whose attributes include
// service = the application id and account = the key's account name; when
// several match, the most recently modified one counts, and a write leaves only
// that one. New items go to the default collection. A secret service that
// cannot be reached, or that refuses, is unexpectedStatus with the D-Bus/GIO
// error code.
class SystemKeychainStore final : public KeychainStore {
  public:
    explicit SystemKeychainStore(std::string service);
    SystemKeychainStore();  // service = the application id

    std::optional<std::string> string(KeychainKey key) override;
    void set(const std::string& value, KeychainKey key) override;
    void removeValue(KeychainKey key) override;

  private:
    void add(const std::string& value, const std::string& account);

    std::string service_;
    std::mutex mutex_;  // serialises the blocking calls into libsecret
};

}  // namespace veyrune
