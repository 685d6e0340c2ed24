#pragma once

#include <QTimer>
#include <functional>

#include "system/MainThreadTimer.h"

namespace veyrune {

// `MainThreadTimer` on a single-shot QTimer of the main thread's event loop.
// Built, used and destroyed on the main thread; destroying it cancels.
class QtMainThreadTimer final : public MainThreadTimer {
  public:
    QtMainThreadTimer();

    void start(std::chrono::milliseconds delay, std::function<void()> handler) override;
    void cancel() override;

  private:
    void fire();

    QTimer timer_;
    std::function<void()> handler_;
};

}  // namespace veyrune
