#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "base/TaskPool.h"

namespace veyrune::test {

// A task pool whose work runs only when the test drains it, on the test's thread.
class ManualTaskPool final : public TaskPool {
  public:
    void run(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    // Runs queued work, including work queued meanwhile. Returns the number run.
    int drain() {
        int count = 0;
        while (auto next = take()) {
            next();
            ++count;
        }
        return count;
    }
    std::size_t pendingCount() const {
        std::lock_guard lock(mutex_);
        return work_.size();
    }

  private:
    std::function<void()> take() {
        std::lock_guard lock(mutex_);
        if (work_.empty()) {
            return nullptr;
        }
        auto next = std::move(work_.front());
        work_.pop_front();
        return next;
    }

    mutable std::mutex mutex_;
    std::deque<std::function<void()>> work_;  // guarded by mutex_
};

}  // namespace veyrune::test
