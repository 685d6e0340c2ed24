#include <gtest/gtest.h>

#include <stdexcept>

#include "credentials/ChannelSetupState.h"

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
