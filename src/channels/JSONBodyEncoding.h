#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace veyrune {

// A request body as the default encoder writes it: keys in the order they were
// added, no white space, UTF-8 raw and every "/" escaped as "\/".
// Throws nlohmann::json::type_error when a string is not valid UTF-8.
std::string encodeJSONBody(const nlohmann::ordered_json& body);

}  // namespace veyrune
