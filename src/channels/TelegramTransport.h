#pragma once

#include "channels/HTTPRequest.h"
#include "channels/HTTPResponse.h"

namespace veyrune {

// Carries one telegram request over HTTPS. Blocking; called on a pool thread,
// possibly from several at once. Throws HTTPTransportError when no HTTP
// response arrived.
class TelegramTransport {
  public:
    virtual ~TelegramTransport() = default;
    virtual HTTPResponse data(const HTTPRequest& request) = 0;
    // Any thread: ends the requests in flight at once and refuses later ones.
    virtual void cancelExchanges() = 0;
    // Any thread: forget what was learnt of the network (resolved addresses).
    virtual void networkChanged() = 0;
};

}  // namespace veyrune
