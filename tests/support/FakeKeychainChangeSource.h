#pragma once

#include <atomic>
#include <functional>

#include "credentials/KeychainChangeSource.h"

namespace veyrune::test {

// A change source driven by the test: `report` is another client's change
// arriving; `setWatching` the service coming or going, reported as the real
// one does. Watching from the start.
class FakeKeychainChangeSource final : public KeychainChangeSource {
  public:
    void start(std::function<void()> changed) override { changed_ = std::move(changed); }
    bool isWatching() const override { return watching_; }

    void report() { changed_(); }
    void setWatching(bool watching) {
        watching_ = watching;
        changed_();
    }

  private:
    std::function<void()> changed_;
    std::atomic<bool> watching_{true};
};

}  // namespace veyrune::test
