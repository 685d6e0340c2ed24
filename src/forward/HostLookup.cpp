#include "forward/HostLookup.h"

#include <poll.h>

#include "forward/LineSink.h"

namespace veyrune {

namespace {

// Everything the resolver thread reads or writes while a lookup runs.
struct Lookup {
    std::string host;
    std::string port;
    addrinfo hints{};
    gaicb request{};
};

// A lookup that cannot be called off any more is left to the resolver
// thread, which still writes into it: leaking it once is the safe end.
void abandon(Lookup* lookup) {
    int state = ::gai_cancel(&lookup->request);
    if (state == EAI_ALLDONE && lookup->request.ar_result) {
        ::freeaddrinfo(lookup->request.ar_result);
    }
    if (state != EAI_NOTCANCELED) {
        delete lookup;
    }
}

}  // namespace

AddressList lookUpHost(const std::string& host, const std::string& port, const CancelSignal& cancel,
                       std::chrono::milliseconds patience) {
    auto* lookup = new Lookup{host, port};
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->hints.ai_flags = AI_NUMERICSERV;
    lookup->request.ar_name = lookup->host.c_str();
    lookup->request.ar_service = lookup->port.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* requests[] = {&lookup->request};
    if (::getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr) != 0) {
        delete lookup;
        throw LineSinkError("host not found");
    }
    auto deadline = std::chrono::steady_clock::now() + patience;
    // Polled in short steps only while a lookup runs; the cancel signal ends
    // a step at once.
    while (::gai_error(&lookup->request) == EAI_INPROGRESS) {
        if (cancel.raised() || std::chrono::steady_clock::now() >= deadline) {
            bool cancelled = cancel.raised();
            abandon(lookup);
            throw LineSinkError(cancelled ? "cancelled" : "no answer from the name server");
        }
        pollfd entry{cancel.fd(), POLLIN, 0};
        ::poll(&entry, 1, 20);
    }
    int state = ::gai_error(&lookup->request);
    AddressList found(lookup->request.ar_result, ::freeaddrinfo);
    delete lookup;
    if (state != 0 || !found) {
        throw LineSinkError("host not found");
    }
    return found;
}

}  // namespace veyrune
