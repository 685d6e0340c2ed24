#pragma once

#include <string>

#include "base/Error.h"

namespace veyrune {

// Why a transport produced no HTTP response: the exchange failed on the way
// (connection, TLS, time-out, a cut reply), what came back was not HTTP, or
// the request itself could not be sent (malformed URL, a line break in a header).
class HTTPTransportError : public Error {
  public:
    enum class Kind { network, nonHTTPResponse, invalidRequest };

    HTTPTransportError(Kind kind, int curlCode, const std::string& message)
        : Error(message), kind_(kind), curlCode_(curlCode) {}

    Kind kind() const { return kind_; }
    // The libcurl result code; 0 when the transfer itself succeeded.
    int curlCode() const { return curlCode_; }

  private:
    Kind kind_;
    int curlCode_;
};

}  // namespace veyrune
