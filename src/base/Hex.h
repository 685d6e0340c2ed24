#pragma once

#include <cstddef>
#include <string>

namespace veyrune {

// Lower-case hexadecimal digit of `value` (0 to 15).
inline char hexDigit(unsigned value) {
    return "0123456789abcdef"[value & 0x0f];
}

// The value of one hexadecimal digit of either case; -1 for anything else.
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Two lower-case digits per byte.
inline std::string hexText(const unsigned char* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text += hexDigit(bytes[i] >> 4);
        text += hexDigit(bytes[i]);
    }
    return text;
}

}  // namespace veyrune
