#include "evidence/AsioCaptureTimerScheduler.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>
#include <asio/strand.hpp>
#include <atomic>

namespace veyrune {

namespace {

// The timer lives on its own strand: an Asio timer must not be touched from
// two threads at once.
class AsioCaptureTimer final : public CaptureTimer,
                               public std::enable_shared_from_this<AsioCaptureTimer> {
  public:
    explicit AsioCaptureTimer(asio::thread_pool& pool)
        : timer(asio::make_strand(pool.get_executor())) {}

    void cancel() override {
        // The flag covers a timer that already fired and whose handler waits on the queue.
        cancelled = true;
        asio::post(timer.get_executor(), [self = shared_from_this()] { self->timer.cancel(); });
    }

    asio::basic_waitable_timer<std::chrono::steady_clock,
                               asio::wait_traits<std::chrono::steady_clock>,
                               asio::strand<asio::thread_pool::executor_type>>
        timer;
    std::atomic<bool> cancelled = false;
};

}  // namespace

std::shared_ptr<CaptureTimer> AsioCaptureTimerScheduler::schedule(SerialQueue& queue,
                                                                  std::chrono::milliseconds delay,
                                                                  std::function<void()> handler) {
    auto timer = std::make_shared<AsioCaptureTimer>(pool_);
    timer->timer.expires_after(delay);
    // Started on the strand like every other touch of the timer.
    asio::post(timer->timer.get_executor(),
               [timer, &queue, handler = std::move(handler)]() mutable {
                   timer->timer.async_wait([timer, &queue, handler = std::move(handler)](
                                               const std::error_code& error) mutable {
                       if (error || timer->cancelled) {
                           return;
                       }
                       queue.post([timer, handler = std::move(handler)] {
                           if (!timer->cancelled) {
                               handler();
                           }
                       });
                   });
               });
    return timer;
}

}  // namespace veyrune
