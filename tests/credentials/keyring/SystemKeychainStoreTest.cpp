#include "credentials/SystemKeychainStore.h"

#include <gtest/gtest.h>
#include <libsecret/secret.h>

#include <cstdlib>
#include <functional>

#include "credentials/KeychainStoreError.h"

using namespace veyrune;

namespace {

// Never the application's own service: run outside a private session, the
// set-up would otherwise delete a user's real credentials.
constexpr const char* kService = "org.veyrune.Veyrune.KeyringTest";

// Stores under the two attributes alone, with no schema name of Veyrune's.
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

void storeRawBytes(const std::string& bytes, KeychainKey key) {
    SecretValue* value = secret_value_new(bytes.data(), gssize(bytes.size()), "text/plain");
    std::string account(accountName(key));
    GError* error = nullptr;
    secret_password_store_binary_sync(attributeSchema(), SECRET_COLLECTION_DEFAULT, "raw", value,
                                      nullptr, &error, "service", kService, "account",
                                      account.c_str(), nullptr);
    secret_value_unref(value);
    ASSERT_EQ(error, nullptr) << error->message;
}

class SystemKeychainStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { removeAll(); }
    void TearDown() override { removeAll(); }
    void removeAll() {
        for (auto key : allKeychainKeys) {
            store.removeValue(key);
        }
    }
    SystemKeychainStore store{kService};
};

TEST_F(SystemKeychainStoreTest, SaveLoadReplaceRemove) {
    EXPECT_EQ(store.string(KeychainKey::telegramBotToken), std::nullopt);

    store.set("123:ABC", KeychainKey::telegramBotToken);
    store.set("456:DEF", KeychainKey::telegramBotToken);
    EXPECT_EQ(store.string(KeychainKey::telegramBotToken), "456:DEF");

    store.removeValue(KeychainKey::telegramBotToken);
    EXPECT_EQ(store.string(KeychainKey::telegramBotToken), std::nullopt);
    EXPECT_NO_THROW(store.removeValue(KeychainKey::telegramBotToken));
}

TEST_F(SystemKeychainStoreTest, KeysAndServicesAreSeparate) {
    SystemKeychainStore application;  // the application's own items: only read
    auto before = application.string(KeychainKey::telegramBotToken);
    const std::vector<std::pair<KeychainKey, std::string>> values = {
        {KeychainKey::telegramBotToken, "123:ABC"},
        {KeychainKey::telegramChatID, "-100987"},
        {KeychainKey::webhookEndpointURL, "https://hooks.example.com/a?k=1"},
        {KeychainKey::webhookAuthorizationHeader, "Bearer \u00fcn\u00efc\u00f8d\u00e9 \u2713"},
    };
    for (const auto& [key, value] : values) {
        store.set(value, key);
    }
    for (const auto& [key, value] : values) {
        EXPECT_EQ(store.string(key), value) << accountName(key);
    }
    EXPECT_EQ(application.string(KeychainKey::telegramBotToken), before);
}

TEST_F(SystemKeychainStoreTest, DataThatIsNotUTF8IsAnInvalidValue) {
    storeRawBytes("\xff\xfe\x41", KeychainKey::telegramChatID);
    try {
        store.string(KeychainKey::telegramChatID);
        ADD_FAILURE() << "no error";
    } catch (const KeychainStoreError& error) {
        EXPECT_EQ(error.code(), KeychainStoreError::Code::invalidValue);
    }
}

// Runs in a fresh process so no earlier connection to the bus is cached.
TEST(SystemKeychainStoreUnreachable, EveryOperationFailsFastWithUnexpectedStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/veyrune-dead-bus", 1);
            SystemKeychainStore unreachable;
            int statusFailures = 0;
            auto attempt = [&](const std::function<void()>& operation) {
                try {
                    operation();
                } catch (const KeychainStoreError& error) {
                    statusFailures += error.code() == KeychainStoreError::Code::unexpectedStatus;
                }
            };
            attempt([&] { unreachable.string(KeychainKey::telegramBotToken); });
            attempt([&] { unreachable.set("123:ABC", KeychainKey::telegramBotToken); });
            attempt([&] { unreachable.removeValue(KeychainKey::telegramBotToken); });
            std::_Exit(statusFailures == 3 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
