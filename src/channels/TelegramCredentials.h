#pragma once

#include <string>

namespace veyrune {

// What the Telegram channel needs to post: the bot token and the chat.
struct TelegramCredentials {
    std::string token;
    std::string chatID;

    bool operator==(const TelegramCredentials&) const = default;
};

}  // namespace veyrune
