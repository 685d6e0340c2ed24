#pragma once

#include <functional>

namespace veyrune {

// Runs independent asynchronous work (sends, captures). `run` may be called
// from any thread; the work may run on any pool thread, concurrently with other work.
class TaskPool {
  public:
    virtual ~TaskPool() = default;
    virtual void run(std::function<void()> work) = 0;
};

}  // namespace veyrune
