#pragma once

#include <asio/thread_pool.hpp>

#include "base/TaskPool.h"

namespace veyrune {

// A fixed number of threads running posted work. The application builds two,
// once, at start-up, and destroys them last:
//   AsioTaskPool queuePool(2);   // carries the serial queues (strands), the
//                                // timers and short tasks; nothing on it blocks
//   AsioTaskPool blockingIO(8);  // HTTPS sends, keyring calls, large file reads
// Blocking work never goes to the queue pool, so a stalled server or keyring
// can neither stop a queue nor delay a synchronous hop onto one. The pool must
// outlive every queue, timer and task made on it.
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
