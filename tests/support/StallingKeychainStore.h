#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "support/InMemoryKeychainStore.h"

namespace veyrune::test {

// A keyring in memory whose next read or write can be held, the way a slow
// Secret Service holds a caller: either before the call touches the items or
// after it did, before it returns. The test waits until the call is held and
// lets it go, so calls on real threads interleave exactly as it chooses.
class StallingKeychainStore final : public KeychainStore {
  public:
    enum class Call { read, write };
    enum class Moment { beforeKeyring, afterKeyring };

    std::optional<std::string> string(KeychainKey key) override {
        stallIf(Call::read, Moment::beforeKeyring);
        auto value = items.string(key);
        countRead();
        stallIf(Call::read, Moment::afterKeyring);
        return value;
    }
    void set(const std::string& value, KeychainKey key) override {
        stallIf(Call::write, Moment::beforeKeyring);
        items.set(value, key);
        stallIf(Call::write, Moment::afterKeyring);
    }
    void removeValue(KeychainKey key) override {
        stallIf(Call::write, Moment::beforeKeyring);
        items.removeValue(key);
        stallIf(Call::write, Moment::afterKeyring);
    }

    // The next call of that kind stops at `moment` until `release(call)`.
    void holdNext(Call call, Moment moment) {
        std::lock_guard lock(mutex_);
        gate(call) = {true, moment, false, false};
    }
    // Whether the held call got there within a generous patience.
    bool waitUntilHeld(Call call) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return gate(call).held; });
    }
    void release(Call call) {
        std::lock_guard lock(mutex_);
        gate(call).released = true;
        changed_.notify_all();
    }
    int reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }

    InMemoryKeychainStore items;

  private:
    struct Gate {
        bool armed = false;
        Moment moment = Moment::beforeKeyring;
        bool held = false;
        bool released = false;
    };
    Gate& gate(Call call) { return call == Call::read ? readGate_ : writeGate_; }
    void stallIf(Call call, Moment moment) {
        std::unique_lock lock(mutex_);
        Gate& current = gate(call);
        if (!current.armed || current.moment != moment) {
            return;
        }
        current.armed = false;
        current.held = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return gate(call).released; });
    }
    void countRead() {
        std::lock_guard lock(mutex_);
        ++reads_;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Gate readGate_;   // guarded by mutex_
    Gate writeGate_;  // guarded by mutex_
    int reads_ = 0;   // guarded by mutex_
};

}  // namespace veyrune::test
