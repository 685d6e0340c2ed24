#pragma once

#include "base/MainQueue.h"
#include "evidence/qt/GuiThread.h"
#include "support/QtTestApplication.h"

namespace veyrune::test {

// The GUI thread as the main queue, for tests with real Qt objects.
class GuiMainQueue final : public MainQueue {
  public:
    void post(std::function<void()> work) override { postToGuiThread(std::move(work)); }
};

}  // namespace veyrune::test
