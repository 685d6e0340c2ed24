#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veyrune {

// The longest prefix of the UTF-8 `text` that ends on an extended grapheme
// cluster boundary and is at most `maximumUTF16Units` long in UTF-16 code
// units. A text already within the limit comes back unchanged.
std::string prefixWithinUTF16Units(std::string_view text, std::size_t maximumUTF16Units);

}  // namespace veyrune
