#include <gtest/gtest.h>

#include <stdexcept>

#include "credentials/ChannelSetupState.h"
#include "credentials/TelegramConfigurationStore.h"
#include "credentials/WebhookConfigurationStore.h"
#include "support/InMemoryKeychainStore.h"
#include "support/InMemoryPreferences.h"

using namespace veyrune;
using Channel = ChannelSetupState;

TEST(ChannelSetupState, ReadsCredentialsOnlyWhenSwitchedOn) {
    int reads = 0;
    auto failing = [&]() -> bool {
        ++reads;
        throw std::runtime_error("keyring locked");
    };
    EXPECT_EQ(channelSetupState(false, failing), Channel::disabled);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(channelSetupState(true, failing), Channel::unavailable);
    EXPECT_EQ(channelSetupState(true, [] { return false; }), Channel::notConfigured);
    EXPECT_EQ(channelSetupState(true, [] { return true; }), Channel::configured);
}

// The settings forms ask the stores and diagnostics shows their answer: for
// every keyring condition both stores must answer as the shared rule does.
TEST(ChannelSetupState, StoresAnswerAsTheSharedRule) {
    enum class Keyring { empty, filled, failing };
    for (auto condition : {Keyring::empty, Keyring::filled, Keyring::failing}) {
        test::InMemoryKeychainStore keychain;
        test::InMemoryPreferences preferences;
        TelegramConfigurationStore telegram(preferences, keychain);
        WebhookConfigurationStore webhook(keychain);
        if (condition != Keyring::empty) {
            telegram.save("123:abc", "42");
            webhook.save("https://hooks.example.com/x", std::nullopt);
        }
        keychain.failReads(condition == Keyring::failing);
        auto expected = channelSetupState(true, [&] {
            if (condition == Keyring::failing) {
                throw std::runtime_error("keyring locked");
            }
            return condition == Keyring::filled;
        });
        EXPECT_EQ(telegram.status(true), expected);
        EXPECT_EQ(webhook.status(true), expected);
    }
}
