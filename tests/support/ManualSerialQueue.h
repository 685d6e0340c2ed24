#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

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
    bool isCurrent() const override { return running_; }
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
        running_ = true;
        next();
        running_ = false;
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
    bool running_ = false;
};

}  // namespace veyrune::test
