#pragma once

#include <functional>

namespace veyrune {

// Qt's screens, pixmaps and cameras belong to the GUI thread. These hop there
// from any thread; a QGuiApplication must exist.

// Runs `work` on the GUI thread and waits for it; runs in place when already
// there. The GUI thread must not be waiting for the caller.
void runOnGuiThread(const std::function<void()>& work);

// Queues `work` to run later on the GUI thread.
void postToGuiThread(std::function<void()> work);

}  // namespace veyrune
