#pragma once

#include <string>
#include <utility>
#include <vector>

namespace veyrune {

// One outgoing HTTPS request of a delivery channel.
struct HTTPRequest {
    std::string method = "POST";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;  // sent in this order
    std::string body;
};

}  // namespace veyrune
