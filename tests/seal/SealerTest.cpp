#include <gtest/gtest.h>
#include <sys/stat.h>

#include "seal/SealKeyFile.h"
#include "seal/SealSummaryText.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/SealedHistory.h"

using namespace veyrune;

namespace {

using Sealed = SealVerificationResult::Sealed;

std::vector<Seal> seals(const test::SealedHistory& history) {
    std::vector<Seal> out;
    for (const auto& line : test::fileLines(history.seals())) {
        out.push_back(*Seal::parse(line));
    }
    return out;
}

Sealed sealed(const test::SealedHistory& history) {
    auto result = history.verify();
    EXPECT_TRUE(std::holds_alternative<Sealed>(result.value)) << sealSummaryText(result);
    return std::holds_alternative<Sealed>(result.value) ? std::get<Sealed>(result.value) : Sealed{};
}

int mode(const std::filesystem::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return static_cast<int>(info.st_mode & 0777);
}

TEST(Sealer, SealsEveryEpochIncludingOnesWithoutEvents) {
    test::SealedHistory history;
    history.epoch(3);
    history.epoch(0);
    history.epoch(2);
    history.append(2);

    // The first seal at the start, then one per epoch, each with the digests
    // of the entries after the seal before.
    auto written = seals(history);
    ASSERT_EQ(written.size(), 4u);
    std::vector<std::int64_t> seqs, digestCounts;
    for (const auto& seal : written) {
        seqs.push_back(seal.seq);
        digestCounts.push_back(static_cast<std::int64_t>(seal.digests.size() / Seal::digestLength));
    }
    EXPECT_EQ(seqs, (std::vector<std::int64_t>{0, 3, 3, 5}));
    EXPECT_EQ(digestCounts, (std::vector<std::int64_t>{0, 3, 0, 2}));
    EXPECT_EQ(
        written[3].digests.substr(Seal::digestLength),
        EventChain::linkHash(test::fileLines(history.log())[4]).substr(0, Seal::digestLength));
    EXPECT_EQ(written[3].epoch, history.key.firstEpoch + 2);
    auto result = sealed(history);
    EXPECT_EQ(result.sealedEntries, 5);
    EXPECT_EQ(result.unsealedEntries, 2);
    EXPECT_EQ(result.through, SealEpochs{900}.start(history.key.firstEpoch + 3));
    EXPECT_EQ(mode(history.seals()), 0600);
}

TEST(Sealer, KeepsOnlyTheCurrentKeySoEarlierOnesCannotBeRebuilt) {
    test::SealedHistory history;
    history.epoch(1);
    history.epoch(1);

    auto state = SealKeyFile(history.keyFile(), PosixFileSystem::shared()).load();
    EXPECT_EQ(state->epoch, history.key.firstEpoch + 2);
    EXPECT_EQ(state->key, SealKey::advance(history.key.seed, 2));
    EXPECT_EQ(mode(history.keyFile()), 0600);
    auto seedHex = SealKey::hex(history.key.seed);
    for (const auto& file : {history.keyFile(), history.seals(), history.log()}) {
        EXPECT_EQ(test::readFile(file).find(seedHex), std::string::npos) << file;
        EXPECT_EQ(test::readFile(file).find(SealKey::hex(SealKey::evolve(history.key.seed))),
                  std::string::npos)
            << file;
    }
}

// A crash in the middle of replacing the key file leaves its temporary copy,
// whose older key would rebuild every key after it. The next store, or
// switching off, removes it; other files beside it stay.
TEST(Sealer, LeftoverTemporaryKeyFilesAreRemovedByTheNextStoreOrBySwitchingOff) {
    for (bool switchOff : {false, true}) {
        test::SealedHistory history;
        auto leftover = history.dir / ".security-events.sealkey.q7XbZ2";
        auto unrelated = history.dir / ".security-events.sealkey.notes";
        test::writeFile(leftover, test::readFile(history.keyFile()));
        test::writeFile(unrelated, "kept");
        if (switchOff) {
            history.sealer.end();
        } else {
            history.epoch(1);
        }
        EXPECT_FALSE(std::filesystem::exists(leftover)) << switchOff;
        EXPECT_TRUE(std::filesystem::exists(unrelated)) << switchOff;
        EXPECT_EQ(std::filesystem::exists(history.keyFile()), !switchOff);
    }
}

// The removal of the key file is not synced; a power cut may undo it. The
// file was emptied and synced before, so what comes back holds no key.
TEST(Sealer, SwitchingOffLeavesNoKeyEvenWhenTheRemovalDoesNotLast) {
    test::SealedHistory history;
    history.epoch(1);
    test::FaultInjectingFileSystem files;
    files.failRemoving(history.keyFile());
    Sealer sealer(history.clock, files, history.store, history.keyFile(), history.seals());
    EXPECT_THROW(sealer.end(), FileError);

    EXPECT_EQ(test::readFile(history.keyFile()), "");
    EXPECT_FALSE(sealer.isSealing());
    EXPECT_FALSE(sealer.nextTick());
}

TEST(Sealer, ClosingSealExplainsTheSleepThatFollows) {
    test::SealedHistory history;
    history.epoch(2);
    history.append(1);
    history.clock.advance(60);
    history.sealer.close();
    ASSERT_TRUE(seals(history).back().closing);
    history.clock.advance(10 * 900);
    history.sealer.tick();  // wake: nothing new since the closing seal
    history.epoch(1);

    auto written = seals(history);
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[3].epoch - written[2].epoch, 10);
    EXPECT_EQ(sealed(history).sealedEntries, 4);
}

TEST(Sealer, EntriesAfterAClosingSealInTheSameEpochAreSealedAgain) {
    test::SealedHistory history;
    history.append(1);
    history.sealer.close();
    history.epoch(2);  // woke within the same epoch

    auto written = seals(history);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[1].epoch, written[2].epoch);
    EXPECT_EQ(written[2].digests.size(), 2 * Seal::digestLength);
    EXPECT_EQ(sealed(history).sealedEntries, 3);
}

TEST(Sealer, RestartAfterAPowerCutSealsTheLastEpochAsClosing) {
    test::SealedHistory history;
    history.epoch(2);
    history.append(2);
    history.clock.advance(5 * 900);
    // The process died without closing; a new one starts hours later.
    Sealer restarted(history.clock, PosixFileSystem::shared(), history.store, history.keyFile(),
                     history.seals());
    restarted.tick();
    history.append(1);
    history.clock.advance(900);
    restarted.tick();

    // The new process read the whole log once and still sealed the digests
    // of exactly the entries after the last seal.
    auto written = seals(history);
    ASSERT_EQ(written.size(), 4u);
    EXPECT_TRUE(written[2].closing);
    EXPECT_EQ(written[2].seq, 4);
    EXPECT_EQ(written[2].digests.size(), 2 * Seal::digestLength);
    EXPECT_EQ(written[3].digests.size(), Seal::digestLength);
    EXPECT_EQ(sealed(history).sealedEntries, 5);
}

TEST(Sealer, ClockSetBackNeitherSealsNorEvolves) {
    test::SealedHistory history;
    history.epoch(1);
    history.clock.advance(-3 * 900);
    history.sealer.tick();
    EXPECT_EQ(seals(history).size(), 2u);
    EXPECT_EQ(SealKeyFile(history.keyFile(), PosixFileSystem::shared()).load()->epoch,
              history.key.firstEpoch + 1);
}

TEST(Sealer, SealWriteCutShortKeepsTheKeyAndTheNextSealStillVerifies) {
    test::SealedHistory history;
    test::FaultInjectingFileSystem files;
    Sealer failing(history.clock, files, history.store, history.keyFile(), history.seals());
    history.epoch(1);
    history.append(1);
    history.clock.advance(900);
    files.failAppendAfterBytes = 40;
    EXPECT_ANY_THROW(failing.tick());
    EXPECT_EQ(SealKeyFile(history.keyFile(), PosixFileSystem::shared()).load()->epoch,
              history.key.firstEpoch + 1);
    files.failAppendAfterBytes.reset();
    Sealer restarted(history.clock, files, history.store, history.keyFile(), history.seals());
    restarted.tick();
    EXPECT_EQ(test::fileLines(history.seals()).size(), 4u);
    EXPECT_EQ(sealed(history).sealedEntries, 2);
}

TEST(SealKeyFile, DamagedFileIsAnErrorAndLeftAlone) {
    test::TempDirectory dir;
    test::writeFile(dir / "key", "{\"epoch\":3}");
    SealKeyFile file(dir / "key", PosixFileSystem::shared());
    EXPECT_THROW(file.load(), Error);
    EXPECT_EQ(test::readFile(dir / "key"), "{\"epoch\":3}");
    EXPECT_FALSE(SealKeyFile(dir / "none", PosixFileSystem::shared()).load());
}

}  // namespace

namespace {

TEST(Sealer, NewKeyKeepsTheSealsOfTheOldOneAside) {
    test::SealedHistory history;
    history.epoch(2);
    auto oldSeals = test::readFile(history.seals());
    SealKey::Bytes seed{};
    seed.fill(0x11);
    auto key = history.sealer.begin(seed, 900);
    history.epoch(1);

    auto aside = history.seals();
    aside += ".before-" + std::to_string(key.firstEpoch);
    EXPECT_EQ(test::readFile(aside), oldSeals);
    history.key = key;
    EXPECT_EQ(sealed(history).sealedEntries, 3);
}

}  // namespace
