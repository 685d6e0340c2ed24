#pragma once

#include <functional>

#include <QObject>
#include <QThread>

#include "base/MainQueue.h"

namespace veyrune {

// One background thread with a Qt event loop, seen by the core as a queue:
// `post` runs work there in posting order. The windows read, decode and verify
// the logs here so the main thread never waits on them. Created and destroyed
// on the main thread; destruction stops the thread after the work posted so far.
class WorkerThread final : public MainQueue {
  public:
    explicit WorkerThread(const QString& name);
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Any thread.
    void post(std::function<void()> work) override;

  private:
    QThread thread_;
    QObject* context_;  // lives on thread_, deleted there
};

}  // namespace veyrune
