#pragma once

#include <functional>
#include <string>

namespace veyrune {

// A queue that runs its work one item at a time, in posting order, off the
// caller's thread. `post` may be called from any thread.
class SerialQueue {
  public:
    virtual ~SerialQueue() = default;
    virtual void post(std::function<void()> work) = 0;
    // True while the calling thread is running work of this queue.
    virtual bool isCurrent() const = 0;
    virtual const std::string& label() const = 0;
};

// Runs `work` on `queue` and waits for it. Calling it from the queue itself
// would deadlock, so then `work` runs in place instead.
void runSync(SerialQueue& queue, const std::function<void()>& work);

}  // namespace veyrune
