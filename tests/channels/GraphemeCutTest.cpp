#include "channels/GraphemeCut.h"

#include <gtest/gtest.h>

using namespace veyrune;

namespace {

TEST(GraphemeCut, CutsOnlyBetweenWholeCharacters) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // 8 UTF-16 units
    const std::string flag = "\U0001F1E9\U0001F1EA";                          // 4 units
    struct Row {
        std::string name;
        std::string text;
        std::size_t limit;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"within the limit", "abc", 3, "abc"},
        {"plain text", std::string(5000, 'a'), 2000, std::string(2000, 'a')},
        {"surrogate pair across the limit", std::string(1999, 'a') + "\U0001F600", 2000,
         std::string(1999, 'a')},
        {"surrogate pair ending at the limit", std::string(1998, 'a') + "\U0001F600b", 2000,
         std::string(1998, 'a') + "\U0001F600"},
        {"combining accent stays with its letter", std::string(1999, 'a') + "e\u0301", 2000,
         std::string(1999, 'a')},
        {"emoji sequence is one character", "ab" + family + "c", 9, "ab"},
        {"flag is one character", flag + flag, 6, flag},
        {"two-byte letters count once", std::string(10, 'x') + "\u00e9\u00e9\u00e9", 12,
         std::string(10, 'x') + "\u00e9\u00e9"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(prefixWithinUTF16Units(row.text, row.limit), row.expected) << row.name;
    }
}

}  // namespace
