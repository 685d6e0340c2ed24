#pragma once

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
// refused", "no answer"). Blocks for at most `timeoutSeconds`.
std::optional<std::string> checkCollectorCertificate(const CollectorAddress& address,
                                                     const std::string& caFile,
                                                     const std::string& clientCertificate,
                                                     const std::string& clientKey,
                                                     unsigned timeoutSeconds);

}  // namespace veyrune
