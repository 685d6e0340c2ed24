#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "seal/VerificationKey.h"

using namespace veyrune;

namespace {

VerificationKey sampleKey() {
    VerificationKey key;
    for (std::size_t i = 0; i < key.seed.size(); ++i) {
        key.seed[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    key.firstEpoch = 893'000;
    key.epochSeconds = 900;
    return key;
}

TEST(VerificationKey, ReadsBackAsTypedWithSpacesLowerCaseAndLookalikes) {
    auto key = sampleKey();
    auto text = key.text();
    EXPECT_EQ(VerificationKey::parse(text), key);

    std::string typed;
    for (char c : text) {
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        typed += c == '-' ? ' ' : c == '0' ? 'o' : c == '1' ? 'l' : lower;
    }
    EXPECT_EQ(VerificationKey::parse(typed), key);
    std::string bare = text;
    bare.erase(std::remove(bare.begin(), bare.end(), '-'), bare.end());
    EXPECT_EQ(VerificationKey::parse(bare), key);
}

TEST(VerificationKey, EveryMistypedOrSwappedCharacterIsCaught) {
    auto text = sampleKey().text();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '-') {
            continue;
        }
        auto typo = text;
        typo[i] = text[i] == 'Z' ? 'Y' : 'Z';
        EXPECT_THROW(VerificationKey::parse(typo), VerificationKeyError) << "at " << i;
        std::size_t next = i + 1 < text.size() && text[i + 1] == '-' ? i + 2 : i + 1;
        if (next < text.size() && text[next] != text[i]) {
            auto swapped = text;
            std::swap(swapped[i], swapped[next]);
            EXPECT_THROW(VerificationKey::parse(swapped), VerificationKeyError) << "swap at " << i;
        }
    }
}

TEST(VerificationKey, ShortLongAndForeignTextIsRejectedWithTheReason) {
    auto text = sampleKey().text();
    auto message = [](const std::string& input) {
        try {
            VerificationKey::parse(input);
        } catch (const VerificationKeyError& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(message(text.substr(0, text.size() - 1)).find("characters"), std::string::npos);
    EXPECT_NE(message(text + "7").find("characters"), std::string::npos);
    EXPECT_NE(message(text.substr(0, 5) + "U" + text.substr(6)).find("\"U\""), std::string::npos);
    EXPECT_EQ(message(""), "The key has 0 characters, not 68.");
}

}  // namespace
