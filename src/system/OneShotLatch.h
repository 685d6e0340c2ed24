#pragma once

#include <mutex>

namespace veyrune {

// A flag that turns true once and stays so. Any thread.
class OneShotLatch {
  public:
    void set() {
        std::lock_guard lock(mutex_);
        value_ = true;
    }
    bool isSet() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

  private:
    mutable std::mutex mutex_;
    bool value_ = false;  // guarded by mutex_
};

}  // namespace veyrune
