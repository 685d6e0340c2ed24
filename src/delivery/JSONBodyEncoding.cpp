#include "delivery/JSONBodyEncoding.h"

namespace veyrune {

std::string encodeJSONBody(const nlohmann::ordered_json& body) {
    // Outside strings compact JSON has no "/", so escaping every one is safe.
    std::string text = body.dump();
    std::string escaped;
    escaped.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '/') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

}  // namespace veyrune
