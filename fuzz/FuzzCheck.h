#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace veyrune::fuzz {

// A broken property: says which, and aborts so that libFuzzer keeps the input.
inline void require(bool holds, std::string_view property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %.*s\n", int(property.size()), property.data());
        std::abort();
    }
}

}  // namespace veyrune::fuzz
