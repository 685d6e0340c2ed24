#include <gtest/gtest.h>

#include "seal/Seal.h"

using namespace veyrune;

namespace {

TEST(SealKey, MACIsStandardHMACSHA256) {
    // RFC 4231, test case 2: a short key is zero-padded, as ours is.
    SealKey::Bytes key{};
    std::string jefe = "Jefe";
    std::copy(jefe.begin(), jefe.end(), key.begin());
    EXPECT_EQ(SealKey::mac(key, "what do ya want for nothing?"),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
}

TEST(SealKey, EvolutionIsStepwiseAndNeverTheSameKey) {
    SealKey::Bytes seed{};
    seed.fill(1);
    auto one = SealKey::evolve(seed);
    EXPECT_NE(one, seed);
    EXPECT_EQ(SealKey::advance(seed, 3), SealKey::evolve(SealKey::evolve(one)));
    EXPECT_EQ(SealKey::advance(seed, 0), seed);
}

TEST(Seal, ReadsBackOnlyTheFormItWrites) {
    Seal seal;
    seal.epoch = 893000;
    seal.from = referenceDate() + std::chrono::seconds(893000 * 900);
    seal.to = seal.from + std::chrono::seconds(900);
    seal.sealedAt = seal.to + std::chrono::seconds(2);
    seal.seq = 812;
    seal.lineHash = std::string(64, 'a');
    seal.prev = std::string(64, '0');
    seal.closing = true;
    SealKey::Bytes key{};
    auto line = seal.line(key);
    auto read = Seal::parse(line);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->macText(), seal.macText());
    EXPECT_EQ(Seal::macCovered(line), seal.macText());
    EXPECT_EQ(read->mac, SealKey::mac(key, seal.macText()));

    for (auto damaged : {line.substr(0, line.size() - 1), line + " ", " " + line,
                         std::string(line).replace(line.find("812"), 3, "8x2"),
                         std::string(line).replace(line.find("true"), 4, "1"),
                         std::string(line).replace(line.find("aaaa"), 1, "A")}) {
        EXPECT_FALSE(Seal::parse(damaged)) << damaged;
    }
}

}  // namespace
