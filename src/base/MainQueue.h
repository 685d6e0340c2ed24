#pragma once

#include <functional>

namespace veyrune {

// The main thread as the core sees it. `post` may be called from any thread;
// the work runs later on the main thread, in posting order.
class MainQueue {
  public:
    virtual ~MainQueue() = default;
    virtual void post(std::function<void()> work) = 0;
};

}  // namespace veyrune
