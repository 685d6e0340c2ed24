#pragma once

#include "base/Error.h"

namespace veyrune {

// A Telegram configuration the settings form cannot save.
class TelegramConfigurationError : public Error {
  public:
    enum class Code { emptyToken, emptyChatID };

    explicit TelegramConfigurationError(Code code)
        : Error(code == Code::emptyToken ? "The bot token is empty" : "The chat ID is empty"),
          code_(code) {}

    Code code() const { return code_; }

  private:
    Code code_;
};

}  // namespace veyrune
