#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>

#include "app/shell/TimelineViewState.h"
#include "review/TimelineController.h"

namespace veyrune {

class WorkerThread;

// Runs one timeline's TimelineController on the worker thread, where the log
// is read, decoded and verified, and hands each new state to the window on
// the main thread. This is the one place the shell drives the controller.
// Every method is called on the main thread and returns at once. The worker
// thread and the collaborators must outlive the worker; states for a
// receiver that is gone are dropped.
class TimelineWorker {
  public:
    using Publish = std::function<void(std::shared_ptr<const TimelineViewState>)>;

    // `publish` runs on the main thread, in the context of `receiver`.
    TimelineWorker(WorkerThread& thread, TimelineController::Collaborators collaborators,
                   QObject* receiver, Publish publish);
    ~TimelineWorker();
    TimelineWorker(const TimelineWorker&) = delete;
    TimelineWorker& operator=(const TimelineWorker&) = delete;

    void refresh();
    // The two-second timer: skipped while the previous tick has not run yet.
    void timerFired();
    void setFilter(const TimelineFilter& filter);
    void setSelectedEventID(const std::optional<Uuid>& eventID);
    void selectTab(TimelineTab tab);
    void retryDelivery(const Uuid& eventID);
    // `chooseDestination` runs on the main thread with the request; the export
    // ends with `finishExport` (nothing: the user cancelled).
    void beginExport(ExportFormat format,
                     std::function<void(const ExportRequest&)> chooseDestination);
    void finishExport(const ExportRequest& request,
                      const std::optional<std::filesystem::path>& destination);
    void dismissExportError();
    // Lets go of a state on the worker thread, where freeing a large row list
    // cannot hold up the main thread.
    void dispose(std::shared_ptr<const TimelineViewState> state);

  private:
    struct Core;
    void onCore(std::function<void(Core&)> work);

    WorkerThread& thread_;
    // Owned here, used and deleted only on the worker thread.
    Core* core_;
    std::shared_ptr<std::atomic<bool>> tickQueued_;
};

}  // namespace veyrune
