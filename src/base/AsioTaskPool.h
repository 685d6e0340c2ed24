#pragma once

#include <asio/thread_pool.hpp>

#include "base/TaskPool.h"

namespace veyrune {

// The process's thread pool. Serial queues are strands on it. Owned by the
// application's start-up; must outlive every queue made on it.
class AsioTaskPool final : public TaskPool {
  public:
    explicit AsioTaskPool(std::size_t threads = 4);
    ~AsioTaskPool() override;

    void run(std::function<void()> work) override;
    asio::thread_pool& pool() { return pool_; }
    // Waits for all queued work and stops the threads.
    void shutdown();

  private:
    asio::thread_pool pool_;
};

}  // namespace veyrune
