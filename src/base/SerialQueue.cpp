#include "base/SerialQueue.h"

#include <future>

namespace veyrune {

void runSync(SerialQueue& queue, const std::function<void()>& work) {
    if (queue.isCurrent()) {
        work();
        return;
    }
    std::promise<void> done;
    queue.post([&] {
        try {
            work();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    done.get_future().get();
}

}  // namespace veyrune
