#pragma once

#include <asio/strand.hpp>
#include <asio/thread_pool.hpp>

#include "base/SerialQueue.h"

namespace veyrune {

// A serial queue as an Asio strand on the shared pool. Timers for this queue
// use `executor()`.
class AsioSerialQueue final : public SerialQueue {
  public:
    using Executor = asio::strand<asio::thread_pool::executor_type>;

    AsioSerialQueue(asio::thread_pool& pool, std::string label);

    void post(std::function<void()> work) override;
    bool isCurrent() const override;
    const std::string& label() const override { return label_; }
    const Executor& executor() const { return strand_; }

  private:
    Executor strand_;
    std::string label_;
};

}  // namespace veyrune
