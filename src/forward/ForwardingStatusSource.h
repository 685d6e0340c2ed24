#pragma once

#include "forward/ForwardingStatus.h"

namespace veyrune {

// Where Diagnostics reads how the log's routes are doing. Implementations are
// safe to call from any thread and never block on the network.
class ForwardingStatusSource {
  public:
    virtual ~ForwardingStatusSource() = default;

    virtual ForwardingStatus systemJournal() const = 0;
    virtual ForwardingStatus collector() const = 0;
};

}  // namespace veyrune
