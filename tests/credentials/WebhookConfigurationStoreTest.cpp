#include "credentials/WebhookConfigurationStore.h"

#include <gtest/gtest.h>

#include "credentials/CredentialMessages.h"
#include "credentials/WebhookConfigurationError.h"
#include "support/InMemoryKeychainStore.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

using Code = WebhookConfigurationError::Code;

class WebhookConfigurationStoreTest : public ::testing::Test {
  protected:
    std::optional<Code> saveError(const std::string& endpoint) {
        try {
            store.save(endpoint, std::nullopt);
        } catch (const WebhookConfigurationError& error) {
            EXPECT_EQ(std::string(error.what()).find("SECRET"), std::string::npos);
            return error.code();
        }
        return std::nullopt;
    }

    InMemoryKeychainStore keychain;
    WebhookConfigurationStore store{keychain};
};

TEST_F(WebhookConfigurationStoreTest, EndpointRules) {
    struct Row {
        std::string entered;
        std::optional<Code> error;
        std::string stored;
    };
    const std::vector<Row> rows = {
        {"  https://hooks.example.com/a?k=SECRET \n", std::nullopt,
         "https://hooks.example.com/a?k=SECRET"},
        {"\t\u00a0https://hooks.example.com/b\u2028", std::nullopt, "https://hooks.example.com/b"},
        {"HTTPS://hooks.example.com/c", std::nullopt, "HTTPS://hooks.example.com/c"},
        {"https://[::1]:8443/d", std::nullopt, "https://[::1]:8443/d"},
        {"", Code::emptyEndpoint, ""},
        {"http://hooks.example.com/a?k=SECRET", Code::insecureEndpoint, ""},
        {"ftp://hooks.example.com/a", Code::insecureEndpoint, ""},
        {"hooks.example.com/a", Code::invalidEndpoint, ""},
        {"https:///only/a/path", Code::invalidEndpoint, ""},
        {"https://hooks.example.com/a b", Code::invalidEndpoint, ""},
        {"not a url SECRET", Code::invalidEndpoint, ""},
    };
    for (const auto& row : rows) {
        keychain.removeValue(KeychainKey::webhookEndpointURL);
        EXPECT_EQ(saveError(row.entered), row.error) << row.entered;
        auto stored = keychain.peek(KeychainKey::webhookEndpointURL);
        EXPECT_EQ(stored.value_or(""), row.stored) << row.entered;
    }
}

TEST_F(WebhookConfigurationStoreTest, AnEmptyAuthorizationRemovesTheStoredOneAsDoesRemoval) {
    store.save("https://hooks.example.com/a", "Bearer abc");
    EXPECT_EQ(store.loadCredentials(),
              (WebhookCredentials{"https://hooks.example.com/a", "Bearer abc"}));
    store.save("https://hooks.example.com/a", "");
    EXPECT_EQ(keychain.peek(KeychainKey::webhookAuthorizationHeader), std::nullopt);
    store.save("https://hooks.example.com/a", "Bearer abc");
    store.save("https://hooks.example.com/a", std::nullopt);
    EXPECT_EQ(store.loadCredentials(),
              (WebhookCredentials{"https://hooks.example.com/a", std::nullopt}));
    store.save("https://hooks.example.com/a", "Bearer abc");
    store.removeCredentials();
    EXPECT_EQ(keychain.peek(KeychainKey::webhookEndpointURL), std::nullopt);
    EXPECT_EQ(keychain.peek(KeychainKey::webhookAuthorizationHeader), std::nullopt);
}

TEST_F(WebhookConfigurationStoreTest, StoredValuesThatNoLongerParseLoadAsNothing) {
    keychain.set("hooks example", KeychainKey::webhookEndpointURL);
    EXPECT_EQ(store.loadCredentials(), std::nullopt);
    EXPECT_EQ(store.status(true), ChannelSetupState::notConfigured);
    keychain.set("https://hooks.example.com/a", KeychainKey::webhookEndpointURL);
    keychain.set("", KeychainKey::webhookAuthorizationHeader);
    EXPECT_EQ(store.loadCredentials(),
              (WebhookCredentials{"https://hooks.example.com/a", std::nullopt}));
    EXPECT_EQ(store.status(true), ChannelSetupState::configured);
    EXPECT_EQ(store.status(false), ChannelSetupState::disabled);
    keychain.failReads(true);
    EXPECT_EQ(store.status(true), ChannelSetupState::unavailable);
    EXPECT_EQ(store.credentialsIfReadable(), std::nullopt);
}

TEST(CredentialMessages, WebhookSaveErrorsBecomeTheirMessages) {
    auto messageFor = [](const std::exception& error) {
        return std::string(messageText(webhookSaveMessage(error)));
    };
    EXPECT_EQ(messageFor(WebhookConfigurationError(Code::insecureEndpoint)),
              "The endpoint must use HTTPS.");
    EXPECT_EQ(messageFor(KeychainStoreError::unexpectedStatus(-25308)),
              "Unable to save webhook configuration.");
}

}  // namespace
