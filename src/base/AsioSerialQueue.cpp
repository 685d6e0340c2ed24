#include "base/AsioSerialQueue.h"

#include <asio/post.hpp>

namespace veyrune {

AsioSerialQueue::AsioSerialQueue(asio::thread_pool& pool, std::string label)
    : strand_(asio::make_strand(pool.get_executor())), label_(std::move(label)) {}

void AsioSerialQueue::post(std::function<void()> work) {
    asio::post(strand_, std::move(work));
}

bool AsioSerialQueue::isCurrent() const {
    return strand_.running_in_this_thread();
}

}  // namespace veyrune
