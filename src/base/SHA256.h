#pragma once

#include <array>
#include <initializer_list>
#include <string_view>

namespace veyrune {

using SHA256Digest = std::array<unsigned char, 32>;

// SHA-256 of the parts one after the other (OpenSSL EVP). Each thread keeps one
// digest context, set up once: fetching the algorithm and making a context per
// call costs more than hashing a short line. Any thread.
SHA256Digest sha256(std::initializer_list<std::string_view> parts);

}  // namespace veyrune
