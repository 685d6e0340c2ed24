#include "app/shell/TimelineWorker.h"

#include <QCoreApplication>

#include "app/shell/WorkerThread.h"

namespace veyrune {

struct TimelineWorker::Core {
    Core(TimelineController::Collaborators collaborators, QPointer<QObject> receiverObject,
         Publish onState)
        : controller(std::move(collaborators), std::make_unique<TimestampFormatter>()),
          receiver(std::move(receiverObject)),
          publish(std::move(onState)) {
        controller.setOnChange([this] { publishState(); });
    }

    void publishState() {
        auto state = std::make_shared<TimelineViewState>();
        if (lastRows && *lastRows == controller.rows()) {
            state->rows = lastRows;
        } else {
            state->rows =
                std::make_shared<const std::vector<EventTimelineRowModel>>(controller.rows());
            lastRows = state->rows;
        }
        state->total = static_cast<int>(controller.events().all.size());
        state->filter = controller.filter();
        state->diagnostics = controller.diagnostics();
        state->errorText = controller.errorText();
        state->exportErrorText = controller.exportErrorText();
        state->chainStatus = controller.chainStatus();
        state->sealText = controller.sealText();
        state->selectedEventID = selectedEventID;
        state->selectedTab = controller.selectedTab();
        state->isExporting = controller.isExporting();
        toReceiver([publish = publish, state = std::shared_ptr<const TimelineViewState>(state)] {
            publish(state);
        });
    }

    // Runs `work` on the main thread while the receiver exists. The application
    // object outlives every window; the receiver is checked on arrival.
    void toReceiver(std::function<void()> work) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver = receiver, work = std::move(work)] {
                if (receiver) {
                    work();
                }
            },
            Qt::QueuedConnection);
    }

    TimelineController controller;
    QPointer<QObject> receiver;
    Publish publish;
    std::shared_ptr<const std::vector<EventTimelineRowModel>> lastRows;
    std::optional<Uuid> selectedEventID;
};

TimelineWorker::TimelineWorker(WorkerThread& thread,
                               TimelineController::Collaborators collaborators, QObject* receiver,
                               Publish publish)
    : thread_(thread),
      core_(new Core(std::move(collaborators), receiver, std::move(publish))),
      tickQueued_(std::make_shared<std::atomic<bool>>(false)) {}

TimelineWorker::~TimelineWorker() {
    Core* core = core_;
    thread_.post([core] { delete core; });
}

void TimelineWorker::onCore(std::function<void(Core&)> work) {
    Core* core = core_;
    thread_.post([core, work = std::move(work)] { work(*core); });
}

void TimelineWorker::refresh() {
    onCore([](Core& core) { core.controller.refresh(); });
}

void TimelineWorker::timerFired() {
    if (tickQueued_->exchange(true)) {
        return;
    }
    onCore([queued = tickQueued_](Core& core) {
        queued->store(false);
        core.controller.timerFired();
    });
}

void TimelineWorker::setFilter(const TimelineFilter& filter) {
    onCore([filter](Core& core) { core.controller.setFilter(filter); });
}

void TimelineWorker::setSelectedEventID(const std::optional<Uuid>& eventID) {
    onCore([eventID](Core& core) {
        core.selectedEventID = eventID;
        core.controller.setSelectedEventID(eventID);
    });
}

void TimelineWorker::selectTab(TimelineTab tab) {
    onCore([tab](Core& core) { core.controller.selectTab(tab); });
}

void TimelineWorker::retryDelivery(const Uuid& eventID) {
    onCore([eventID](Core& core) { core.controller.retryDelivery(eventID); });
}

void TimelineWorker::beginExport(ExportFormat format,
                                 std::function<void(const ExportRequest&)> chooseDestination) {
    onCore([format, choose = std::move(chooseDestination)](Core& core) {
        auto request = core.controller.beginExport(format);
        core.publishState();
        core.toReceiver([choose, request] { choose(request); });
    });
}

void TimelineWorker::finishExport(const ExportRequest& request,
                                  const std::optional<std::filesystem::path>& destination) {
    onCore(
        [request, destination](Core& core) { core.controller.finishExport(request, destination); });
}

void TimelineWorker::dismissExportError() {
    onCore([](Core& core) {
        core.controller.dismissExportError();
        core.publishState();
    });
}

}  // namespace veyrune

namespace veyrune {

void TimelineWorker::dispose(std::shared_ptr<const TimelineViewState> state) {
    thread_.post([state = std::move(state)]() mutable { state.reset(); });
}

}  // namespace veyrune
