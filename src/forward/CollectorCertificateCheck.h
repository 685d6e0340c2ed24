#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "forward/CollectorAddress.h"

namespace veyrune {

// Opens a TLS connection to the collector with OpenSSL and checks its
// certificate: the chain against `caFile` and the host among its names.
// librelp verifies the chain of its own connection but leaves the name
// unchecked, so every session starts with this. `clientCertificate` and
// `clientKey` (both or neither) are shown when the collector asks. Nothing
// when accepted, else a short reason ("certificate refused: ...", "connection
// refused", "no answer"). Each wait is bounded by `timeoutSeconds`, and
// cancel() (any thread) cuts a check in progress short.
class CollectorCertificateCheck {
  public:
    std::optional<std::string> check(const CollectorAddress& address, const std::string& caFile,
                                     const std::string& clientCertificate,
                                     const std::string& clientKey, unsigned timeoutSeconds);
    // Shuts the socket of the check in progress, or fails the next check.
    void cancel();
    // Checks run normally again.
    void reset();

  private:
    // Registers the socket a check uses (-1: none); false once cancelled.
    bool use(int fd);

    std::mutex mutex_;
    int socket_ = -1;         // guarded by mutex_
    bool cancelled_ = false;  // guarded by mutex_
};

}  // namespace veyrune
