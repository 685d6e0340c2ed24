#pragma once

#include <chrono>
#include <functional>

#include "base/MainQueue.h"

namespace veyrune::test {

// The GUI thread as the main queue, for capture tests with real Qt objects.
class GuiMainQueue final : public MainQueue {
  public:
    void post(std::function<void()> work) override;
};

// Runs the Qt event loop until `done` is true or `limit` has passed; false on
// the latter. The limit only keeps a broken test from hanging.
bool processEventsUntil(const std::function<bool()>& done,
                        std::chrono::seconds limit = std::chrono::seconds(30));

}  // namespace veyrune::test
