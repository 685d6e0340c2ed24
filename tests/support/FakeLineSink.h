#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "forward/LineSink.h"

namespace veyrune::test {

// A collector as the forwarder meets it: it may take only part of a batch
// (a window that closed), fail a number of sends with a text and then
// recover, or stall inside send() until cancelled. Keeps every line it took,
// in order, repeats included. Thread-safe.
class FakeLineSink final : public LineSink {
  public:
    std::size_t send(std::span<const ForwardedLine> lines) override {
        std::unique_lock lock(mutex_);
        ++sends_;
        if (stalls_) {
            stalled_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return cancelled_; });
        }
        if (cancelled_) {
            throw LineSinkError("cancelled");
        }
        if (!failures_.empty()) {
            auto text = failures_.front();
            failures_.pop_front();
            throw LineSinkError(text);
        }
        std::size_t count = std::min(lines.size(), takesAtMost_);
        for (std::size_t i = 0; i < count; ++i) {
            taken_.push_back(lines[i]);
        }
        return count;
    }
    void cancel() override {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        changed_.notify_all();
    }
    void reset() override {
        std::lock_guard lock(mutex_);
        cancelled_ = false;
    }

    void takeAtMost(std::size_t count) {
        std::lock_guard lock(mutex_);
        takesAtMost_ = count;
    }
    void failNext(std::vector<std::string> texts) {
        std::lock_guard lock(mutex_);
        failures_.assign(texts.begin(), texts.end());
    }
    void stallUntilCancelled() {
        std::lock_guard lock(mutex_);
        stalls_ = true;
    }
    bool isStalled() const {
        std::lock_guard lock(mutex_);
        return stalled_;
    }
    int sends() const {
        std::lock_guard lock(mutex_);
        return sends_;
    }
    std::vector<std::string> taken(ForwardedLog log) const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> texts;
        for (const auto& line : taken_) {
            if (line.log == log) {
                texts.push_back(line.text);
            }
        }
        return texts;
    }
    std::vector<ForwardedLine> takenInOrder() const {
        std::lock_guard lock(mutex_);
        return taken_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t takesAtMost_ = SIZE_MAX;  // guarded by mutex_
    std::deque<std::string> failures_;    // guarded by mutex_
    bool stalls_ = false;                 // guarded by mutex_
    bool stalled_ = false;                // guarded by mutex_
    bool cancelled_ = false;              // guarded by mutex_
    int sends_ = 0;                       // guarded by mutex_
    std::vector<ForwardedLine> taken_;    // guarded by mutex_
};

}  // namespace veyrune::test
