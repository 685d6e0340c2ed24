#include "credentials/SystemKeychainStore.h"

#include <libsecret/secret.h>

#include <memory>

#include "BuildSettings.h"
#include "credentials/KeychainStoreError.h"

namespace veyrune {

namespace {

const SecretSchema* genericSchema() {
    static const SecretSchema schema = [] {
        SecretSchema value{};
        value.name = "org.freedesktop.Secret.Generic";
        value.flags = SECRET_SCHEMA_NONE;
        value.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        value.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return value;
    }();
    return &schema;
}

// Takes the error, frees it and throws its code.
[[noreturn]] void throwStatus(GError* error) {
    auto status = static_cast<std::int32_t>(error->code);
    g_error_free(error);
    throw KeychainStoreError::unexpectedStatus(status);
}

struct ValueRelease {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
using SecretValuePtr = std::unique_ptr<SecretValue, ValueRelease>;

}  // namespace

SystemKeychainStore::SystemKeychainStore(std::string service) : service_(std::move(service)) {}

SystemKeychainStore::SystemKeychainStore() : SystemKeychainStore(build::applicationID) {}

std::optional<std::string> SystemKeychainStore::string(KeychainKey key) {
    std::string account(accountName(key));
    std::lock_guard lock(mutex_);
    GError* error = nullptr;
    SecretValuePtr value(secret_password_lookup_binary_sync(genericSchema(), nullptr, &error,
                                                            "service", service_.c_str(), "account",
                                                            account.c_str(), nullptr));
    if (error != nullptr) {
        throwStatus(error);
    }
    if (!value) {
        return std::nullopt;
    }
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    if (bytes == nullptr || !g_utf8_validate(bytes, static_cast<gssize>(length), nullptr)) {
        throw KeychainStoreError::invalidValue();
    }
    return std::string(bytes, length);
}

void SystemKeychainStore::set(const std::string& value, KeychainKey key) {
    std::string account(accountName(key));
    std::string label = "Veyrune " + account;
    SecretValuePtr secret(
        secret_value_new(value.data(), static_cast<gssize>(value.size()), "text/plain"));
    std::lock_guard lock(mutex_);
    GError* error = nullptr;
    // Replaces an item with the same attributes, so this is update-or-add.
    gboolean stored = secret_password_store_binary_sync(
        genericSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(), secret.get(), nullptr, &error,
        "service", service_.c_str(), "account", account.c_str(), nullptr);
    if (error != nullptr) {
        throwStatus(error);
    }
    if (!stored) {
        throw KeychainStoreError::unexpectedStatus(-1);
    }
}

void SystemKeychainStore::removeValue(KeychainKey key) {
    std::string account(accountName(key));
    std::lock_guard lock(mutex_);
    GError* error = nullptr;
    // False without an error means there was nothing to remove.
    secret_password_clear_sync(genericSchema(), nullptr, &error, "service", service_.c_str(),
                               "account", account.c_str(), nullptr);
    if (error != nullptr) {
        throwStatus(error);
    }
}

}  // namespace veyrune
