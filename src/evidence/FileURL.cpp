#include "evidence/FileURL.h"

#include <cstring>

#include "base/Hex.h"

namespace veyrune {

namespace {

bool isPathCharacter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("-._~!$&'()*+,;=:@/", c) != nullptr);
}

}  // namespace

std::string fileURLString(const std::filesystem::path& absolutePath) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : absolutePath.string()) {
        if (isPathCharacter(c)) {
            url += char(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 0xF];
        }
    }
    return url;
}

std::optional<std::filesystem::path> pathFromFileURL(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    constexpr std::string_view localhost = "localhost";
    if (url.substr(0, scheme.size()) != scheme) {
        return std::nullopt;
    }
    url.remove_prefix(scheme.size());
    if (url.substr(0, localhost.size()) == localhost) {
        url.remove_prefix(localhost.size());
    }
    if (url.empty() || url.front() != '/') {
        return std::nullopt;
    }
    std::string path;
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '%') {
            path += url[i];
            continue;
        }
        if (i + 2 >= url.size() || hexDigitValue(url[i + 1]) < 0 || hexDigitValue(url[i + 2]) < 0) {
            return std::nullopt;
        }
        path += char(hexDigitValue(url[i + 1]) * 16 + hexDigitValue(url[i + 2]));
        i += 2;
    }
    return std::filesystem::path(path);
}

}  // namespace veyrune
