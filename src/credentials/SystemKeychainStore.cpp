#include "credentials/SystemKeychainStore.h"

#include <libsecret/secret.h>

#include <memory>

#include "BuildSettings.h"
#include "credentials/KeychainStoreError.h"

namespace veyrune {

namespace {

// Matches on the two attributes alone: items written by secret-tool, a
// password manager or a provisioning script carry no schema name, or another.
const SecretSchema* attributeSchema() {
    static const SecretSchema schema = [] {
        SecretSchema value{};
        value.name = "org.freedesktop.Secret.Generic";
        value.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
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

struct ItemListRelease {
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
};
using ItemList = std::unique_ptr<GList, ItemListRelease>;

// Every matching item, unlocked where the service allows; with their secrets
// when `withSecrets`.
ItemList matchingItems(const std::string& service, const std::string& account, bool withSecrets) {
    GHashTable* attributes = secret_attributes_build(attributeSchema(), "service", service.c_str(),
                                                     "account", account.c_str(), nullptr);
    auto flags = SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK;
    if (withSecrets) {
        flags |= SECRET_SEARCH_LOAD_SECRETS;
    }
    GError* error = nullptr;
    ItemList items(secret_service_search_sync(nullptr, attributeSchema(), attributes,
                                              static_cast<SecretSearchFlags>(flags), nullptr,
                                              &error));
    g_hash_table_unref(attributes);
    if (error != nullptr) {
        throwStatus(error);
    }
    return items;
}

// The most recently modified item of the list; null for an empty list.
SecretItem* newest(GList* items) {
    SecretItem* found = nullptr;
    for (GList* node = items; node != nullptr; node = node->next) {
        auto* item = SECRET_ITEM(node->data);
        if (found == nullptr || secret_item_get_modified(item) > secret_item_get_modified(found)) {
            found = item;
        }
    }
    return found;
}

void deleteItem(SecretItem* item) {
    GError* error = nullptr;
    secret_item_delete_sync(item, nullptr, &error);
    // Already gone (another client deleted it meanwhile) is what was wanted.
    if (error != nullptr && !g_error_matches(error, SECRET_ERROR, SECRET_ERROR_NO_SUCH_OBJECT)) {
        throwStatus(error);
    }
    if (error != nullptr) {
        g_error_free(error);
    }
}

}  // namespace

SystemKeychainStore::SystemKeychainStore(std::string service) : service_(std::move(service)) {}

SystemKeychainStore::SystemKeychainStore() : SystemKeychainStore(build::applicationID) {}

std::optional<std::string> SystemKeychainStore::string(KeychainKey key) {
    std::string account(accountName(key));
    std::lock_guard lock(mutex_);
    ItemList items = matchingItems(service_, account, true);
    SecretItem* item = newest(items.get());
    if (item == nullptr) {
        return std::nullopt;
    }
    if (secret_item_get_locked(item)) {
        throw KeychainStoreError::unexpectedStatus(SECRET_ERROR_IS_LOCKED);
    }
    SecretValuePtr value(secret_item_get_secret(item));
    gsize length = 0;
    const gchar* bytes = value ? secret_value_get(value.get(), &length) : nullptr;
    if (bytes == nullptr || !g_utf8_validate(bytes, static_cast<gssize>(length), nullptr)) {
        throw KeychainStoreError::invalidValue();
    }
    return std::string(bytes, length);
}

void SystemKeychainStore::set(const std::string& value, KeychainKey key) {
    std::string account(accountName(key));
    std::lock_guard lock(mutex_);
    ItemList items = matchingItems(service_, account, false);
    SecretItem* kept = newest(items.get());
    if (kept == nullptr) {
        add(value, account);
        return;
    }
    // Updated in place, so a reader never finds the key missing meanwhile.
    SecretValuePtr secret(
        secret_value_new(value.data(), static_cast<gssize>(value.size()), "text/plain"));
    GError* error = nullptr;
    if (!secret_item_set_secret_sync(kept, secret.get(), nullptr, &error)) {
        if (error != nullptr) {
            throwStatus(error);
        }
        throw KeychainStoreError::unexpectedStatus(-1);
    }
    for (GList* node = items.get(); node != nullptr; node = node->next) {
        if (node->data != kept) {
            deleteItem(SECRET_ITEM(node->data));
        }
    }
}

void SystemKeychainStore::removeValue(KeychainKey key) {
    std::string account(accountName(key));
    std::lock_guard lock(mutex_);
    ItemList items = matchingItems(service_, account, false);
    for (GList* node = items.get(); node != nullptr; node = node->next) {
        deleteItem(SECRET_ITEM(node->data));
    }
}

void SystemKeychainStore::add(const std::string& value, const std::string& account) {
    std::string label = "Veyrune " + account;
    SecretValuePtr secret(
        secret_value_new(value.data(), static_cast<gssize>(value.size()), "text/plain"));
    GError* error = nullptr;
    gboolean stored = secret_password_store_binary_sync(
        attributeSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(), secret.get(), nullptr, &error,
        "service", service_.c_str(), "account", account.c_str(), nullptr);
    if (error != nullptr) {
        throwStatus(error);
    }
    if (!stored) {
        throw KeychainStoreError::unexpectedStatus(-1);
    }
}

}  // namespace veyrune
