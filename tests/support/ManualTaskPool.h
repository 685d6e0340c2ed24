#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "base/TaskPool.h"

namespace veyrune::test {

// Holds asynchronous work until the test runs it, on the test's thread.
class ManualTaskPool final : public TaskPool {
  public:
    void run(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    // Runs everything queued, including work queued meanwhile. Returns the count.
    int drain() {
        int count = 0;
        for (;;) {
            std::function<void()> next;
            {
                std::lock_guard lock(mutex_);
                if (work_.empty()) {
                    return count;
                }
                next = std::move(work_.front());
                work_.pop_front();
            }
            next();
            ++count;
        }
    }
    std::size_t pendingCount() const {
        std::lock_guard lock(mutex_);
        return work_.size();
    }

  private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> work_;  // guarded by mutex_
};

}  // namespace veyrune::test
