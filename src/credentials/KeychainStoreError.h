#pragma once

#include <cstdint>
#include <string>

#include "base/Error.h"

namespace veyrune {

// A keyring operation failed: the secret service answered with an error (or
// could not be reached), or an item holds data that is not UTF-8 text.
// The message names the code only, never a secret.
class KeychainStoreError : public Error {
  public:
    enum class Code { unexpectedStatus, invalidValue };

    static KeychainStoreError unexpectedStatus(std::int32_t status) {
        return KeychainStoreError(Code::unexpectedStatus, status,
                                  "Keyring operation failed with status " + std::to_string(status));
    }
    static KeychainStoreError invalidValue() {
        return KeychainStoreError(Code::invalidValue, 0, "Keyring item is not UTF-8 text");
    }

    Code code() const { return code_; }
    // The platform status of unexpectedStatus; 0 otherwise.
    std::int32_t status() const { return status_; }

  private:
    KeychainStoreError(Code code, std::int32_t status, const std::string& message)
        : Error(message), code_(code), status_(status) {}

    Code code_;
    std::int32_t status_;
};

}  // namespace veyrune
