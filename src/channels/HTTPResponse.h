#pragma once

#include <string>

namespace veyrune {

// The reply to an HTTPRequest. The body is kept only up to the transport's
// bound; `bodyTruncated` says that the server sent more and was cut off.
struct HTTPResponse {
    long statusCode = 0;
    std::string body;
    bool bodyTruncated = false;
};

}  // namespace veyrune
