#pragma once

#include <functional>

#include "base/SerialQueue.h"

namespace veyrune {

// Reports whether the network path is usable. The Linux binding listens to
// NetworkManager; without it the path counts as satisfied once at start.
class NetworkPathMonitor {
  public:
    virtual ~NetworkPathMonitor() = default;
    // Calls `handler` on `queue` with every path update (true = satisfied),
    // starting with the current state. `queue` must outlive the monitoring.
    virtual void start(SerialQueue& queue, std::function<void(bool satisfied)> handler) = 0;
    // Stops the updates; no handler runs afterwards.
    virtual void cancel() = 0;
};

}  // namespace veyrune
