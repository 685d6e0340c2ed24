#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "system/DisplaySleepSource.h"

namespace veyrune::test {

// Reports a display sleep when the test says so, on the test's thread.
class FakeDisplaySleepSource final : public DisplaySleepSource {
  public:
    ObserverID addObserver(std::function<void()> observer) override {
        std::lock_guard lock(mutex_);
        observers_[++lastID_] = std::move(observer);
        return lastID_;
    }
    void removeObserver(ObserverID id) override {
        std::lock_guard lock(mutex_);
        observers_.erase(id);
    }

    void postDisplaysDidSleep() {
        std::vector<std::function<void()>> current;
        {
            std::lock_guard lock(mutex_);
            for (const auto& [id, observer] : observers_) {
                current.push_back(observer);
            }
        }
        for (const auto& observer : current) {
            observer();
        }
    }
    std::size_t observerCount() const {
        std::lock_guard lock(mutex_);
        return observers_.size();
    }

  private:
    mutable std::mutex mutex_;
    std::map<ObserverID, std::function<void()>> observers_;  // guarded by mutex_
    ObserverID lastID_ = 0;                                  // guarded by mutex_
};

}  // namespace veyrune::test
