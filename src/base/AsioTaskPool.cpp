#include "base/AsioTaskPool.h"

#include <asio/post.hpp>

namespace veyrune {

AsioTaskPool::AsioTaskPool(std::size_t threads) : pool_(threads) {}

AsioTaskPool::~AsioTaskPool() {
    shutdown();
}

void AsioTaskPool::run(std::function<void()> work) {
    asio::post(pool_, std::move(work));
}

void AsioTaskPool::shutdown() {
    pool_.stop();
    pool_.join();
}

}  // namespace veyrune
