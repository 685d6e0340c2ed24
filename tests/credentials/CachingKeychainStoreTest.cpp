#include <gtest/gtest.h>

#include <functional>
#include <future>

#include "credentials/CachingKeychainStore.h"
#include "credentials/KeychainStoreError.h"
#include "support/FakeKeychainChangeSource.h"
#include "support/InMemoryKeychainStore.h"
#include "support/StallingKeychainStore.h"

namespace veyrune {
namespace {

using test::FakeKeychainChangeSource;
using test::InMemoryKeychainStore;
using test::StallingKeychainStore;
using Call = StallingKeychainStore::Call;
using Moment = StallingKeychainStore::Moment;

constexpr auto kURL = KeychainKey::webhookEndpointURL;
constexpr auto kHeader = KeychainKey::webhookAuthorizationHeader;

// A cache over `keyring` whose change source the test drives.
struct Cache {
    explicit Cache(KeychainStore& keyring)
        : changes(new FakeKeychainChangeSource),
          store(keyring, std::unique_ptr<KeychainChangeSource>(changes)) {}
    FakeKeychainChangeSource* changes;  // owned by store
    CachingKeychainStore store;
};

TEST(CachingKeychainStore, AnswersFromMemoryUntilAChangeIsReportedAndSeesItsOwnWritesAtOnce) {
    StallingKeychainStore keyring;
    keyring.items.set("https://a.example/hook", kURL);
    Cache cache(keyring);
    EXPECT_EQ(cache.store.string(kURL), "https://a.example/hook");
    EXPECT_EQ(cache.store.string(kHeader), std::nullopt);

    keyring.items.set("https://b.example/hook", kURL);
    keyring.items.set("Bearer x", kHeader);
    EXPECT_EQ(cache.store.string(kURL), "https://a.example/hook");
    EXPECT_EQ(cache.store.string(kHeader), std::nullopt);
    EXPECT_EQ(keyring.reads(), 2);

    cache.changes->report();
    EXPECT_EQ(cache.store.string(kURL), "https://b.example/hook");
    EXPECT_EQ(cache.store.string(kHeader), "Bearer x");

    keyring.items.set("Bearer y", kHeader);
    cache.store.forget();
    EXPECT_EQ(cache.store.string(kHeader), "Bearer y");

    cache.store.set("https://c.example/hook", kURL);
    cache.store.removeValue(kHeader);
    int reads = keyring.reads();
    EXPECT_EQ(cache.store.string(kURL), "https://c.example/hook");
    EXPECT_EQ(cache.store.string(kHeader), std::nullopt);
    EXPECT_EQ(keyring.reads(), reads);
    EXPECT_EQ(keyring.items.peek(kHeader), std::nullopt);
}

TEST(CachingKeychainStore, NothingIsRememberedWhileChangesCannotBeSeen) {
    StallingKeychainStore keyring;
    keyring.items.set("https://a.example/hook", kURL);
    Cache cache(keyring);
    cache.changes->setWatching(false);
    cache.store.string(kURL);
    keyring.items.set("https://b.example/hook", kURL);
    EXPECT_EQ(cache.store.string(kURL), "https://b.example/hook");
    cache.store.set("https://c.example/hook", kURL);
    EXPECT_EQ(cache.store.string(kURL), "https://c.example/hook");
    EXPECT_EQ(keyring.reads(), 3);

    cache.changes->setWatching(true);
    cache.store.string(kURL);
    cache.store.string(kURL);
    EXPECT_EQ(keyring.reads(), 4);
}

TEST(CachingKeychainStore, FailuresAreNeverKept) {
    InMemoryKeychainStore keyring;
    keyring.set("https://a.example/hook", kURL);
    Cache cache(keyring);
    keyring.failReads(true);
    EXPECT_THROW(cache.store.string(kURL), KeychainStoreError);
    keyring.failReads(false);
    EXPECT_EQ(cache.store.string(kURL), "https://a.example/hook");

    keyring.failWrites(kURL);
    EXPECT_THROW(cache.store.set("https://b.example/hook", kURL), KeychainStoreError);
    EXPECT_THROW(cache.store.removeValue(kURL), KeychainStoreError);
    EXPECT_EQ(cache.store.string(kURL), "https://a.example/hook");
}

// A read on its own thread that the keyring answers with the old value and
// holds; meanwhile the value changes. Once it has returned, the cache must
// give the new value.
struct OverlapCase {
    const char* name;
    // True: the change goes through the cache on its own thread and is
    // already under way (its keyring call held) when the read starts.
    bool readStartsDuringWrite;
    std::function<void(Cache&, StallingKeychainStore&)> change;
    std::optional<std::string> expected;
};

TEST(CachingKeychainStore, ReadOverlappingAChangeNeverPutsTheOldValueBack) {
    const OverlapCase cases[] = {
        {"read answered during set, returning after it", true,
         [](Cache& cache, StallingKeychainStore&) { cache.store.set("new", kURL); }, "new"},
        {"read answered during removal, returning after it", true,
         [](Cache& cache, StallingKeychainStore&) { cache.store.removeValue(kURL); }, std::nullopt},
        {"read started before set, returning after it", false,
         [](Cache& cache, StallingKeychainStore&) { cache.store.set("new", kURL); }, "new"},
        {"read started before another client's change was reported", false,
         [](Cache& cache, StallingKeychainStore& keyring) {
             keyring.items.set("new", kURL);
             cache.changes->report();
         },
         "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StallingKeychainStore keyring;
        keyring.items.set("old", kURL);
        Cache cache(keyring);
        std::future<void> writer;
        if (c.readStartsDuringWrite) {
            keyring.holdNext(Call::write, Moment::beforeKeyring);
            writer = std::async(std::launch::async, [&] { c.change(cache, keyring); });
            ASSERT_TRUE(keyring.waitUntilHeld(Call::write));
        }
        keyring.holdNext(Call::read, Moment::afterKeyring);
        auto reader = std::async(std::launch::async, [&] { return cache.store.string(kURL); });
        ASSERT_TRUE(keyring.waitUntilHeld(Call::read));
        if (c.readStartsDuringWrite) {
            keyring.release(Call::write);
            writer.get();
        } else {
            c.change(cache, keyring);
        }
        keyring.release(Call::read);
        EXPECT_EQ(reader.get(), "old");
        EXPECT_EQ(cache.store.string(kURL), c.expected);
        EXPECT_EQ(keyring.items.peek(kURL), c.expected);
    }
}

TEST(CachingKeychainStore, OverlappingWritesDoNotRememberTheOneThatLost) {
    StallingKeychainStore keyring;
    Cache cache(keyring);
    // The first write reaches the keyring first but returns last.
    keyring.holdNext(Call::write, Moment::afterKeyring);
    auto first = std::async(std::launch::async, [&] { cache.store.set("first", kURL); });
    ASSERT_TRUE(keyring.waitUntilHeld(Call::write));
    cache.store.set("second", kURL);
    keyring.release(Call::write);
    first.get();
    EXPECT_EQ(cache.store.string(kURL), "second");
}

}  // namespace
}  // namespace veyrune
