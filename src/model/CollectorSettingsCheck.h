#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"

namespace veyrune {

// What the central collector's form holds, trimmed. Empty address: no
// collector; empty CA file: the system's CA bundle; the client certificate
// and its key go together or not at all.
struct CollectorSettingsForm {
    std::string address;
    std::string caFile;
    std::string clientCertificateFile;
    std::string clientKeyFile;
};

// What is wrong with `address` ("host:port", a bracketed IPv6 address as
// host); empty when it is fine or empty.
std::string collectorAddressProblem(std::string_view address);

// Every problem of the form, in the form's order, as the user reads them;
// empty when it can be saved. Reads the head of each named file (they must
// hold PEM), so call it off the main thread. Never throws.
std::vector<std::string> collectorSettingsProblems(const CollectorSettingsForm& form,
                                                   const FileSystem& files);

}  // namespace veyrune
