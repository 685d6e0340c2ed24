#pragma once

#include "base/MainQueue.h"

namespace veyrune {

// The Qt event loop's thread as the core's main queue: work posted from any
// thread runs later on the GUI thread, in posting order. A QCoreApplication
// must exist for as long as work is posted.
class QtMainQueue final : public MainQueue {
  public:
    void post(std::function<void()> work) override;
};

}  // namespace veyrune
