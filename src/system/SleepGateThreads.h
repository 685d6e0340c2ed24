#pragma once

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace veyrune {

// Runs each sleep gate on a thread of its own, so the blocking wait never
// holds the main thread or a queue. Destruction asks every running gate to stop
// (which allows sleep at once) and joins it. Any thread.
class SleepGateThreads {
  public:
    SleepGateThreads() = default;
    ~SleepGateThreads();
    SleepGateThreads(const SleepGateThreads&) = delete;
    SleepGateThreads& operator=(const SleepGateThreads&) = delete;

    // Starts `work` on a new thread; finished threads are joined first.
    void start(std::function<void(std::stop_token)> work);

  private:
    struct Runner {
        std::jthread thread;
        std::shared_ptr<bool> finished;  // guarded by the owner's mutex_
    };
    void joinFinished();

    std::mutex mutex_;
    std::list<Runner> runners_;  // guarded by mutex_
};

}  // namespace veyrune
