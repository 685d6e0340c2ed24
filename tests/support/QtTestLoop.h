#pragma once

#include <QCoreApplication>
#include <chrono>
#include <functional>

#include "base/MainQueue.h"
#include "evidence/qt/GuiThread.h"

namespace veyrune::test {

// The GUI thread as the main queue, for tests with real Qt objects.
class GuiMainQueue final : public MainQueue {
  public:
    void post(std::function<void()> work) override { postToGuiThread(std::move(work)); }
};

// Runs the Qt event loop until `done` is true or `limit` has passed; false on
// the latter. The limit only keeps a broken test from hanging.
inline bool processEventsUntil(const std::function<bool()>& done,
                               std::chrono::seconds limit = std::chrono::seconds(30)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace veyrune::test
