#pragma once

#include <functional>

#include "base/TaskPool.h"

namespace veyrune::test {

// A task pool that runs work at once on the caller's thread.
class InlineTaskPool final : public TaskPool {
  public:
    void run(std::function<void()> work) override { work(); }
};

}  // namespace veyrune::test
