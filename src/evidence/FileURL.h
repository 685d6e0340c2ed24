#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// "file:///a/b%20c.png" for an absolute path: every byte outside the URL path
// characters (letters, digits, "-._~!$&'()*+,;=:@/") is percent-encoded.
std::string fileURLString(const std::filesystem::path& absolutePath);

// The path a "file://" URL names ("file:///x" or "file://localhost/x"),
// percent-decoded; nothing for another scheme, a remote host or a bad escape.
std::optional<std::filesystem::path> pathFromFileURL(std::string_view url);

}  // namespace veyrune
