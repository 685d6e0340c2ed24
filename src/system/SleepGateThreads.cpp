#include "system/SleepGateThreads.h"

namespace veyrune {

SleepGateThreads::~SleepGateThreads() {
    std::list<Runner> runners;
    {
        std::lock_guard lock(mutex_);
        runners.swap(runners_);
    }
    // Each jthread asks its gate to stop and joins as the list goes.
}

void SleepGateThreads::start(std::function<void(std::stop_token)> work) {
    joinFinished();
    std::lock_guard lock(mutex_);
    auto finished = std::make_shared<bool>(false);
    runners_.push_back(
        Runner{std::jthread([this, work = std::move(work), finished](std::stop_token stop) {
                   work(stop);
                   std::lock_guard done(mutex_);
                   *finished = true;
               }),
               finished});
}

void SleepGateThreads::joinFinished() {
    std::list<Runner> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = runners_.begin(); it != runners_.end();) {
            auto next = std::next(it);
            if (*it->finished) {
                finished.splice(finished.end(), runners_, it);
            }
            it = next;
        }
    }
    // Joined here, outside the lock: each has already returned from its work.
}

}  // namespace veyrune
