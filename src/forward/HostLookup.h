#pragma once

#include <netdb.h>

#include <chrono>
#include <memory>
#include <string>

#include "forward/CancelSignal.h"

namespace veyrune {

using AddressList = std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)>;

// Resolves a host name and a numeric port for a TCP connection without making
// its caller wait on a stalled name server: a thread of its own does the
// lookup, and a raised `cancel` or the end of `patience` leaves it at once
// (the thread ends when the name server answers or gives up).
// Throws LineSinkError ("host not found", "no answer from the name server",
// "cancelled").
AddressList lookUpHost(const std::string& host, const std::string& port, const CancelSignal& cancel,
                       std::chrono::milliseconds patience);

}  // namespace veyrune
