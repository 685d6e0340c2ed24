#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/MainQueue.h"
#include "base/SerialQueue.h"

namespace veyrune::test {

// A queue whose work runs only when the test drains it, on the test's thread.
// Serves as a serial queue and as the main queue.
class ManualSerialQueue final : public SerialQueue, public MainQueue {
  public:
    explicit ManualSerialQueue(std::string label = "Veyrune.Test") : label_(std::move(label)) {}

    void post(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    bool isCurrent() const override { return runner_.load() == std::this_thread::get_id(); }
    const std::string& label() const override { return label_; }

    // Runs queued work, including work posted meanwhile, until none is left.
    // Returns the number of items run.
    int drain() {
        int count = 0;
        while (runOne()) {
            ++count;
        }
        return count;
    }
    bool runOne() {
        std::function<void()> next;
        {
            std::lock_guard lock(mutex_);
            if (work_.empty()) {
                return false;
            }
            next = std::move(work_.front());
            work_.pop_front();
        }
        runner_ = std::this_thread::get_id();
        next();
        runner_ = std::thread::id();
        return true;
    }
    std::size_t pendingCount() const {
        std::lock_guard lock(mutex_);
        return work_.size();
    }

  private:
    std::string label_;
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> work_;  // guarded by mutex_
    // The thread running queued work, if any; read from any thread.
    std::atomic<std::thread::id> runner_{};
};

}  // namespace veyrune::test
