#include "credentials/TelegramConfigurationStore.h"

#include <gtest/gtest.h>

#include "credentials/TelegramConfigurationError.h"
#include "support/InMemoryKeychainStore.h"
#include "support/InMemoryPreferences.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

class TelegramConfigurationStoreTest : public ::testing::Test {
  protected:
    InMemoryPreferences defaults;
    InMemoryKeychainStore keychain;
    TelegramConfigurationStore store{defaults, keychain};
};

TEST_F(TelegramConfigurationStoreTest, SavesExactlyAsGivenAndLoadsBothOrNothing) {
    store.save(" 123:ABC ", "-100987");
    EXPECT_EQ(store.loadCredentials(), (TelegramCredentials{" 123:ABC ", "-100987"}));
    EXPECT_FALSE(defaults.contains("telegramToken"));  // secrets stay out of preferences

    keychain.set("", KeychainKey::telegramChatID);
    EXPECT_EQ(store.loadCredentials(), std::nullopt);
    EXPECT_EQ(store.loadCredentials(), std::nullopt);
}

TEST_F(TelegramConfigurationStoreTest, EmptyFieldsAreRefusedBeforeAnythingIsStored) {
    auto codeOf = [&](const std::string& token, const std::string& chatID) {
        try {
            store.save(token, chatID);
        } catch (const TelegramConfigurationError& error) {
            return std::optional(error.code());
        }
        return std::optional<TelegramConfigurationError::Code>();
    };
    EXPECT_EQ(codeOf("", ""), TelegramConfigurationError::Code::emptyToken);
    EXPECT_EQ(codeOf("123:ABC", ""), TelegramConfigurationError::Code::emptyChatID);
    EXPECT_EQ(keychain.peek(KeychainKey::telegramBotToken), std::nullopt);
}

TEST_F(TelegramConfigurationStoreTest, APartialSaveKeepsTheTokenButLoadsNothing) {
    keychain.failWrites(KeychainKey::telegramChatID);
    EXPECT_THROW(store.save("123:ABC", "-100987"), KeychainStoreError);
    EXPECT_EQ(keychain.peek(KeychainKey::telegramBotToken), "123:ABC");
    EXPECT_EQ(store.loadCredentials(), std::nullopt);
}

TEST_F(TelegramConfigurationStoreTest, MigrationMovesLegacyPreferencesButNeverOverwrites) {
    defaults.set("telegramToken", "legacy:TOKEN");
    defaults.set("telegramChatID", "");  // empty: left alone
    defaults.set("smtpPassword", "hunter2");
    defaults.set("enableSMTP", true);
    defaults.set("smtpPort", std::int64_t(587));

    store.migrateLegacyPreferences();

    EXPECT_EQ(keychain.peek(KeychainKey::telegramBotToken), "legacy:TOKEN");
    EXPECT_FALSE(defaults.contains("telegramToken"));
    EXPECT_TRUE(defaults.contains("telegramChatID"));
    EXPECT_EQ(keychain.peek(KeychainKey::telegramChatID), std::nullopt);
    for (const char* key : {"smtpPassword", "enableSMTP", "smtpPort"}) {
        EXPECT_FALSE(defaults.contains(key)) << key;
    }

    defaults.set("telegramToken", "newer:TOKEN");
    store.migrateLegacyPreferences();
    EXPECT_EQ(keychain.peek(KeychainKey::telegramBotToken), "legacy:TOKEN");  // not overwritten
    EXPECT_FALSE(defaults.contains("telegramToken"));
}

TEST_F(TelegramConfigurationStoreTest, AFailedMoveKeepsThePreference) {
    defaults.set("telegramToken", "legacy:TOKEN");
    defaults.set("telegramChatID", "-100");
    keychain.failWrites(KeychainKey::telegramBotToken);

    EXPECT_THROW(store.migrateLegacyPreferences(), KeychainStoreError);
    EXPECT_EQ(defaults.stringValue("telegramToken"), "legacy:TOKEN");
    EXPECT_EQ(defaults.stringValue("telegramChatID"), "-100");  // stopped at the first error
}

TEST_F(TelegramConfigurationStoreTest, StatusTable) {
    EXPECT_EQ(store.status(false), ChannelSetupState::disabled);
    EXPECT_EQ(store.status(true), ChannelSetupState::notConfigured);
    defaults.set("telegramToken", "legacy:TOKEN");
    defaults.set("telegramChatID", "-100");
    EXPECT_EQ(store.status(true), ChannelSetupState::configured);  // migrated on the way
    keychain.failReads(true);
    EXPECT_EQ(store.status(true), ChannelSetupState::unavailable);
    EXPECT_EQ(store.status(false), ChannelSetupState::disabled);
    EXPECT_EQ(store.credentialsIfReadable(), std::nullopt);
}

TEST_F(TelegramConfigurationStoreTest, RemovalClearsKeychainAndLegacyPreferences) {
    store.save("123:ABC", "-100987");
    defaults.set("telegramToken", "legacy:TOKEN");
    defaults.set("telegramChatID", "-100");
    store.removeCredentials();
    for (auto key : {KeychainKey::telegramBotToken, KeychainKey::telegramChatID}) {
        EXPECT_EQ(keychain.peek(key), std::nullopt);
    }
    EXPECT_FALSE(defaults.contains("telegramToken") || defaults.contains("telegramChatID"));
}

}  // namespace
