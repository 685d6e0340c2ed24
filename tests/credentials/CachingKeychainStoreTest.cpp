#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "credentials/CachingKeychainStore.h"
#include "credentials/KeychainStoreError.h"
#include "support/InMemoryKeychainStore.h"

namespace veyrune {
namespace {

using test::InMemoryKeychainStore;

constexpr auto kURL = KeychainKey::webhookEndpointURL;

// Runs `duringRead` once, after the keyring has answered a read and before the
// answer reaches the cache: the moment a concurrent write would land.
class InterleavingKeychain final : public KeychainStore {
  public:
    std::optional<std::string> string(KeychainKey key) override {
        auto value = inner.string(key);
        if (auto hook = std::exchange(duringRead, nullptr)) {
            hook();
        }
        return value;
    }
    void set(const std::string& value, KeychainKey key) override { inner.set(value, key); }
    void removeValue(KeychainKey key) override { inner.removeValue(key); }

    InMemoryKeychainStore inner;
    std::function<void()> duringRead;
};

TEST(CachingKeychainStore, AnswersFromMemoryUntilForgottenAndSeesItsOwnWritesAtOnce) {
    InMemoryKeychainStore keyring;
    keyring.set("https://a.example/hook", kURL);
    CachingKeychainStore cache(keyring);
    EXPECT_EQ(cache.string(kURL), "https://a.example/hook");
    EXPECT_EQ(cache.string(KeychainKey::webhookAuthorizationHeader), std::nullopt);

    keyring.set("https://b.example/hook", kURL);
    keyring.set("Bearer x", KeychainKey::webhookAuthorizationHeader);
    EXPECT_EQ(cache.string(kURL), "https://a.example/hook");
    EXPECT_EQ(cache.string(KeychainKey::webhookAuthorizationHeader), std::nullopt);

    cache.forget();
    EXPECT_EQ(cache.string(kURL), "https://b.example/hook");
    EXPECT_EQ(cache.string(KeychainKey::webhookAuthorizationHeader), "Bearer x");

    cache.set("https://c.example/hook", kURL);
    EXPECT_EQ(cache.string(kURL), "https://c.example/hook");
    cache.removeValue(kURL);
    EXPECT_EQ(cache.string(kURL), std::nullopt);
    EXPECT_EQ(keyring.peek(kURL), std::nullopt);
}

TEST(CachingKeychainStore, FailuresAreNeverKept) {
    InMemoryKeychainStore keyring;
    keyring.set("https://a.example/hook", kURL);
    CachingKeychainStore cache(keyring);
    keyring.failReads(true);
    EXPECT_THROW(cache.string(kURL), KeychainStoreError);
    keyring.failReads(false);
    EXPECT_EQ(cache.string(kURL), "https://a.example/hook");

    keyring.failWrites(kURL);
    EXPECT_THROW(cache.set("https://b.example/hook", kURL), KeychainStoreError);
    EXPECT_THROW(cache.removeValue(kURL), KeychainStoreError);
    EXPECT_EQ(cache.string(kURL), "https://a.example/hook");
}

TEST(CachingKeychainStore, ReadOverlappingAWriteDoesNotPutTheOldValueBack) {
    InterleavingKeychain keyring;
    keyring.inner.set("https://old.example/hook", kURL);
    CachingKeychainStore cache(keyring);
    keyring.duringRead = [&cache] { cache.set("https://new.example/hook", kURL); };
    EXPECT_EQ(cache.string(kURL), "https://old.example/hook");
    EXPECT_EQ(cache.string(kURL), "https://new.example/hook");

    keyring.duringRead = [&cache] { cache.forget(); };
    cache.forget();
    keyring.inner.set("https://newer.example/hook", kURL);
    EXPECT_EQ(cache.string(kURL), "https://newer.example/hook");
    keyring.inner.set("https://newest.example/hook", kURL);
    EXPECT_EQ(cache.string(kURL), "https://newest.example/hook");
}

}  // namespace
}  // namespace veyrune
