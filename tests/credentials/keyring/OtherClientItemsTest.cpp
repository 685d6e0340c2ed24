#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "credentials/CachingKeychainStore.h"
#include "credentials/SecretServiceChangeWatcher.h"
#include "credentials/SystemKeychainStore.h"
#include "support/WaitUntil.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

// Never the application's own service (see SystemKeychainStoreTest).
constexpr const char* kService = "org.veyrune.Veyrune.OtherClientTest";
constexpr auto kHeader = KeychainKey::webhookAuthorizationHeader;
const std::string kAccount(accountName(kHeader));

// secret-tool: the command-line client a user or a provisioning script uses.
std::string secretTool(const std::string& arguments) {
    return "secret-tool " + arguments + " service " + kService + " account " + kAccount;
}

// Stores `secret` as secret-tool does, with any extra attributes given.
void toolStore(const std::string& secret, const std::string& extraAttributes = "") {
    FILE* pipe =
        popen((secretTool("store --label=provisioned") + " " + extraAttributes).c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    std::fputs(secret.c_str(), pipe);
    ASSERT_EQ(pclose(pipe), 0);
}

// The secret of every item with the key's attributes, as secret-tool finds them.
std::vector<std::string> toolSearchAll() {
    FILE* pipe = popen((secretTool("search --all") + " 2>/dev/null").c_str(), "r");
    std::vector<std::string> secrets;
    char line[512];
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        if (text.starts_with("secret = ")) {
            secrets.push_back(text.substr(9, text.find_last_not_of('\n') - 8));
        }
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return secrets;
}

void toolClear() {
    std::system(secretTool("clear").c_str());
}

// Counts the reads that reach the keyring.
class CountingKeychainStore final : public KeychainStore {
  public:
    explicit CountingKeychainStore(KeychainStore& keyring) : keyring_(keyring) {}
    std::optional<std::string> string(KeychainKey key) override {
        ++reads;
        return keyring_.string(key);
    }
    void set(const std::string& value, KeychainKey key) override { keyring_.set(value, key); }
    void removeValue(KeychainKey key) override { keyring_.removeValue(key); }
    std::atomic<int> reads{0};

  private:
    KeychainStore& keyring_;
};

class OtherClientItemsTest : public ::testing::Test {
  protected:
    void SetUp() override { toolClear(); }
    void TearDown() override { toolClear(); }
    SystemKeychainStore store{kService};
};

TEST_F(OtherClientItemsTest, AnItemWrittenBySecretToolIsReadReplacedInPlaceAndRemoved) {
    toolStore("Bearer from-tool");
    EXPECT_EQ(store.string(kHeader), "Bearer from-tool");

    store.set("Bearer from-veyrune", kHeader);
    EXPECT_EQ(toolSearchAll(), std::vector<std::string>{"Bearer from-veyrune"});
    EXPECT_EQ(store.string(kHeader), "Bearer from-veyrune");

    store.removeValue(kHeader);
    EXPECT_EQ(toolSearchAll(), std::vector<std::string>{});
    EXPECT_EQ(store.string(kHeader), std::nullopt);
}

TEST_F(OtherClientItemsTest, SeveralMatchingItemsBecomeOneOnWriteAndNoneOnRemoval) {
    // Items carrying more attributes than the two still belong to the key.
    // (Each gets its own extra value: the service replaces an item whose
    // attributes include all of a new one's.)
    for (bool removeFirst : {false, true}) {
        SCOPED_TRACE(removeFirst ? "remove" : "write");
        toolStore("Bearer a", "origin tool");
        toolStore("Bearer b", "origin script");
        toolStore("Bearer c", "origin legacy xdg:schema org.freedesktop.Secret.Generic");
        ASSERT_EQ(toolSearchAll().size(), 3u);
        auto read = store.string(kHeader);
        EXPECT_TRUE(read == "Bearer a" || read == "Bearer b" || read == "Bearer c");
        if (!removeFirst) {
            store.set("Bearer d", kHeader);
            EXPECT_EQ(toolSearchAll(), std::vector<std::string>{"Bearer d"});
        }
        store.removeValue(kHeader);
        EXPECT_EQ(toolSearchAll(), std::vector<std::string>{});
    }
}

TEST_F(OtherClientItemsTest, CachedValueChangedBySecretToolIsReadAfresh) {
    toolStore("Bearer one");
    CountingKeychainStore counting(store);
    auto* watcher = new SecretServiceChangeWatcher;
    CachingKeychainStore cache(counting, std::unique_ptr<KeychainChangeSource>(watcher));
    ASSERT_TRUE(waitUntil([&] { return watcher->isWatching(); }));
    EXPECT_EQ(cache.string(kHeader), "Bearer one");
    EXPECT_EQ(cache.string(kHeader), "Bearer one");
    EXPECT_EQ(counting.reads, 1) << "the second read came from memory";

    toolStore("Bearer two");
    ASSERT_TRUE(waitUntil([&] { return cache.string(kHeader) == "Bearer two"; }));
    toolClear();
    ASSERT_TRUE(waitUntil([&] { return cache.string(kHeader) == std::nullopt; }));
    toolStore("Bearer three");
    ASSERT_TRUE(waitUntil([&] { return cache.string(kHeader) == "Bearer three"; }));
}

}  // namespace
