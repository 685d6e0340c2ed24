#include <gtest/gtest.h>

#include <functional>

#include "seal/SealKeyFile.h"
#include "seal/SealSummaryText.h"
#include "support/SealedHistory.h"

using namespace veyrune;
using Failure = SealVerificationResult::Failure;
using Failed = SealVerificationResult::Failed;

namespace {

// What an intruder holds from the moment of intrusion: the files and the key
// of the epoch then running.
struct Intrusion {
    test::SealedHistory& history;
    SealKeyFile::State stolen;

    std::vector<std::string> log() const { return test::fileLines(history.log()); }
    std::vector<std::string> seals() const { return test::fileLines(history.seals()); }
    void writeLog(const std::vector<std::string>& lines) const {
        test::writeLines(history.log(), lines);
    }
    void writeSeals(const std::vector<std::string>& lines) const {
        test::writeLines(history.seals(), lines);
    }
    // A seal the intruder makes with the stolen key for `epoch`, after `seals`.
    std::string forge(std::int64_t epoch, const std::vector<std::string>& seals) const {
        SealEpochs epochs{stolen.epochSeconds};
        auto lines = log();
        Seal seal;
        seal.epoch = epoch;
        seal.from = epochs.start(epoch);
        seal.to = epochs.start(epoch + 1);
        seal.sealedAt = seal.to;
        seal.seq = static_cast<std::int64_t>(lines.size());
        seal.lineHash = lines.empty() ? EventChain::genesis : EventChain::linkHash(lines.back());
        seal.prev = seals.empty() ? EventChain::genesis : Seal::parse(seals.back())->mac;
        return seal.line(stolen.key);
    }
};

// Five sealed epochs of three events (seq 1-3, 4-6, ... 13-15); the intruder
// arrives in the sixth. Seals: the first at the start, then one per epoch.
Intrusion intrude(test::SealedHistory& history) {
    for (int i = 0; i < 5; ++i) {
        history.epoch(3);
    }
    auto stolen = SealKeyFile(history.keyFile(), PosixFileSystem::shared()).load();
    return {history, *stolen};
}

struct AttackCase {
    std::string name;
    std::function<void(const Intrusion&)> attack;
    Failed expected;  // epochs relative to the first
};

std::vector<AttackCase> attacks() {
    return {
        {"DeletedSealedLineRechainedNamesTheEntryNowInItsPlace",
         [](const Intrusion& in) {
             auto lines = in.log();
             lines.erase(lines.begin() + 7);
             in.writeLog(test::rechained(lines, 7));
         },
         {Failure::entryChanged, 0, 2, 8, 8}},
        {"DeletedFirstLineRechained",
         [](const Intrusion& in) {
             auto lines = in.log();
             lines.erase(lines.begin());
             in.writeLog(test::rechained(lines));
         },
         {Failure::entryChanged, 0, 0, 1, 1}},
        {"TailDeletedBackToAnEarlierEpoch",
         [](const Intrusion& in) {
             auto lines = in.log();
             lines.resize(6);
             in.writeLog(lines);
         },
         {Failure::entriesMissing, 0, 2, 7, 9}},
        {"TailAndItsSealsDeletedThenSealedOnWithTheStolenKey",
         [](const Intrusion& in) {
             auto lines = in.log();
             lines.resize(6);
             in.writeLog(lines);
             auto seals = in.seals();
             seals.resize(3);
             seals.push_back(in.forge(in.stolen.epoch, seals));
             in.writeSeals(seals);
         },
         {Failure::missingEpochs, 4, 5, 0, 0, 2, 4}},
        {"OldEntriesResealedWithTheCurrentKeyUnderTheirOwnEpochs",
         [](const Intrusion& in) {
             std::vector<std::string> seals;
             for (std::int64_t e = in.stolen.epoch - 5; e < in.stolen.epoch; ++e) {
                 seals.push_back(in.forge(e, seals));
             }
             in.writeSeals(seals);
         },
         {Failure::badMAC, 1, 0}},
        {"OldEntriesResealedWithTheCurrentKeyAsTheCurrentEpoch",
         [](const Intrusion& in) { in.writeSeals({in.forge(in.stolen.epoch, {})}); },
         {Failure::missingEpochs, 1, 5, 0, 0, 0, 4}},
        {"MiddleSealDeleted",
         [](const Intrusion& in) {
             auto seals = in.seals();
             seals.erase(seals.begin() + 3);
             in.writeSeals(seals);
         },
         {Failure::missingEpochs, 4, 3, 0, 0, 2, 2}},
        {"FirstEpochsSealsDeleted",
         [](const Intrusion& in) {
             auto seals = in.seals();
             seals.erase(seals.begin(), seals.begin() + 2);
             in.writeSeals(seals);
         },
         {Failure::missingEpochs, 1, 1, 0, 0, 0, 0}},
        {"FirstSealAloneDeleted",
         [](const Intrusion& in) {
             auto seals = in.seals();
             seals.erase(seals.begin());
             in.writeSeals(seals);
         },
         {Failure::sealChainBroken, 1, 0}},
        {"SealsReordered",
         [](const Intrusion& in) {
             auto seals = in.seals();
             std::swap(seals[2], seals[3]);
             in.writeSeals(seals);
         },
         {Failure::missingEpochs, 3, 2, 0, 0, 1, 1}},
        {"SealFileRemoved", [](const Intrusion& in) { in.writeSeals({}); }, {Failure::noSeals}},
        {"SealedCountRaisedInASeal",
         [](const Intrusion& in) {
             auto seals = in.seals();
             seals[2].replace(seals[2].find("\"seq\":6"), 7, "\"seq\":5");
             in.writeSeals(seals);
         },
         {Failure::badMAC, 3, 1}},
        {"DigestOfAnEditedLinePutIntoItsSeal",
         [](const Intrusion& in) {
             auto lines = in.log();
             lines[4].replace(lines[4].find("Screen locked"), 6, "SCREEN");
             lines = test::rechained(lines, 4);
             in.writeLog(lines);
             auto seals = in.seals();
             auto at = seals[2].find("\"digests\":\"") + 11 + Seal::digestLength;
             seals[2].replace(at, Seal::digestLength,
                              EventChain::linkHash(lines[4]).substr(0, Seal::digestLength));
             in.writeSeals(seals);
         },
         {Failure::badMAC, 3, 1}},
    };
}

void PrintTo(const AttackCase& attack, std::ostream* out) {
    *out << attack.name;
}

class SealAttack : public testing::TestWithParam<AttackCase> {};

TEST_P(SealAttack, IsReportedWithWhereItFailed) {
    test::SealedHistory history;
    auto intrusion = intrude(history);
    GetParam().attack(intrusion);
    auto expected = GetParam().expected;
    auto first = history.key.firstEpoch;
    if (expected.failure != Failure::noSeals) {
        expected.epoch += first;
    }
    if (expected.failure == Failure::missingEpochs) {
        expected.firstMissing += first;
        expected.lastMissing += first;
    }
    EXPECT_EQ(history.verify(), SealVerificationResult{expected});
}

INSTANTIATE_TEST_SUITE_P(IntruderWithTheCurrentKey, SealAttack, testing::ValuesIn(attacks()),
                         [](const auto& param) { return param.param.name; });

// Every sealed entry, edited in place or edited and re-chained after it, is
// named as the first bad one.
TEST(SealAttackEdit, EveryEditedSealedEntryIsNamedAsTheFirstBadOne) {
    for (bool rechain : {false, true}) {
        for (std::size_t index = 0; index < 15; ++index) {
            test::SealedHistory history;
            auto intrusion = intrude(history);
            auto lines = intrusion.log();
            lines[index].replace(lines[index].find("Screen locked"), 6, "SCREEN");
            intrusion.writeLog(rechain ? test::rechained(lines, index) : lines);

            auto seq = static_cast<std::int64_t>(index) + 1;
            auto epoch = history.key.firstEpoch + static_cast<std::int64_t>(index) / 3;
            EXPECT_EQ(history.verify(),
                      (SealVerificationResult{Failed{Failure::entryChanged, 0, epoch, seq, seq}}))
                << "entry " << seq << (rechain ? ", re-chained" : "");
        }
    }
}

TEST(SealAttackLimit, ChangesAfterTheIntrusionsEpochBeganGoUnnoticed) {
    test::SealedHistory history;
    auto intrusion = intrude(history);
    // New entries in the intrusion's epoch, and an edit to one of them.
    history.append(3);
    auto lines = intrusion.log();
    lines[16].replace(lines[16].find("Screen locked"), 6, "SCREEN");
    intrusion.writeLog(test::rechained(lines, 16));
    auto seals = intrusion.seals();
    seals.push_back(intrusion.forge(intrusion.stolen.epoch, seals));
    intrusion.writeSeals(seals);

    auto result = history.verify();
    ASSERT_TRUE(std::holds_alternative<SealVerificationResult::Sealed>(result.value));
    EXPECT_EQ(std::get<SealVerificationResult::Sealed>(result.value).sealedEntries, 18);
}

TEST(SealAttackLimit, TailRemovedWithTheSealsAfterItLooksLikeSealingStopped) {
    test::SealedHistory history;
    auto intrusion = intrude(history);
    auto lines = intrusion.log();
    lines.resize(6);
    intrusion.writeLog(lines);
    auto seals = intrusion.seals();
    seals.resize(3);
    intrusion.writeSeals(seals);

    auto result = history.verify();
    ASSERT_TRUE(std::holds_alternative<SealVerificationResult::Sealed>(result.value));
    // Only the date of the last seal tells: it is older than the last epoch.
    EXPECT_EQ(std::get<SealVerificationResult::Sealed>(result.value).lastEpoch,
              history.key.firstEpoch + 1);
}

}  // namespace

namespace {

TEST(SealAttackEdit, EntriesFromBeforeSealingBeganHaveNoDigestsSoOnlyTheirRangeIsNamed) {
    test::SealedHistory history;
    history.append(4);
    SealKey::Bytes seed{};
    seed.fill(0x21);
    history.key = history.sealer.begin(seed, test::SealedHistory::epochSeconds);
    history.epoch(2);
    auto lines = test::fileLines(history.log());
    lines[1].replace(lines[1].find("Screen locked"), 6, "SCREEN");
    test::writeLines(history.log(), test::rechained(lines, 1));

    auto result = history.verify();
    EXPECT_EQ(
        result,
        (SealVerificationResult{Failed{Failure::entryChanged, 0, history.key.firstEpoch, 1, 4}}));
    EXPECT_NE(sealSummaryText(result).find("the first bad entry is among entries 1\u20134"),
              std::string::npos);
}

}  // namespace
