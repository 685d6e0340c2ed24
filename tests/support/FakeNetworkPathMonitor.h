#pragma once

#include <functional>

#include "system/NetworkPathMonitor.h"

namespace veyrune::test {

// A network monitor driven by the test: `report` posts an update to the queue.
class FakeNetworkPathMonitor final : public NetworkPathMonitor {
  public:
    void start(SerialQueue& queue, std::function<void(bool)> handler) override {
        queue_ = &queue;
        handler_ = std::move(handler);
    }
    void cancel() override { handler_ = nullptr; }
    void report(bool satisfied) {
        if (handler_) {
            queue_->post([handler = handler_, satisfied] { handler(satisfied); });
        }
    }

  private:
    SerialQueue* queue_ = nullptr;
    std::function<void(bool)> handler_;
};

}  // namespace veyrune::test
