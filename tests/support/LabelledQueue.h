#pragma once

#include <string>

#include "base/SerialQueue.h"
#include "base/TaskPool.h"

namespace veyrune::test {

// A serial queue with its own label whose work goes to a shared test queue,
// so one drain runs everything in posting order.
class LabelledQueue final : public SerialQueue {
  public:
    LabelledQueue(SerialQueue& target, std::string label)
        : target_(target), label_(std::move(label)) {}
    void post(std::function<void()> work) override { target_.post(std::move(work)); }
    bool isCurrent() const override { return target_.isCurrent(); }
    const std::string& label() const override { return label_; }

  private:
    SerialQueue& target_;
    std::string label_;
};

// A task pool whose work waits on a test queue.
class QueuedTaskPool final : public TaskPool {
  public:
    explicit QueuedTaskPool(SerialQueue& target) : target_(target) {}
    void run(std::function<void()> work) override { target_.post(std::move(work)); }

  private:
    SerialQueue& target_;
};

}  // namespace veyrune::test
