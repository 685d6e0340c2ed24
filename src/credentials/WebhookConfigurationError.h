#pragma once

#include "base/Error.h"

namespace veyrune {

// A webhook endpoint the settings form cannot save. The message never
// repeats the endpoint, which may hold a secret token.
class WebhookConfigurationError : public Error {
  public:
    enum class Code { emptyEndpoint, insecureEndpoint, invalidEndpoint };

    explicit WebhookConfigurationError(Code code) : Error(describe(code)), code_(code) {}

    Code code() const { return code_; }

  private:
    static const char* describe(Code code) {
        switch (code) {
            case Code::emptyEndpoint:
                return "The webhook endpoint is empty";
            case Code::insecureEndpoint:
                return "The webhook endpoint does not use HTTPS";
            case Code::invalidEndpoint:
                return "The webhook endpoint is not a URL with a host";
        }
        return "Invalid webhook endpoint";
    }

    Code code_;
};

}  // namespace veyrune
