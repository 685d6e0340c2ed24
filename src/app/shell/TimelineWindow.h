#pragma once

#include <memory>

#include <QTimer>
#include <QWidget>

#include "app/shell/TimelineViewState.h"
#include "app/shell/TimelineWorker.h"

class QLabel;
class QListView;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;

namespace veyrune {

class FilterBarWidget;
class TimelineRowListModel;

// "Event Timeline": the header with the chain badge, "Refresh" and the
// "Export" menu, the events tab (filter bar, rows, the unavailable and empty
// states) and the diagnostics tab. Draws the states its TimelineWorker
// publishes and sends it every action; refreshes on opening and every two
// seconds. Main thread.
class TimelineWindow : public QWidget {
  public:
    TimelineWindow(WorkerThread& thread, TimelineController::Collaborators collaborators,
                   const std::optional<Uuid>& selectedEventID, QWidget* parent = nullptr);
    ~TimelineWindow() override;

    // The navigation state's selection changed.
    void selectEvent(const std::optional<Uuid>& eventID);
    void refresh();
    // Draws a published state; public so tests can draw any state.
    void apply(std::shared_ptr<const TimelineViewState> state);

    const TimelineViewState* state() const { return state_.get(); }
    QTimer& refreshTimer() { return timer_; }
    // Which page of the events tab shows: the list, the unavailable or the empty state.
    QWidget* currentEventsPage() const;

  private:
    QWidget* makeHeader();
    QWidget* makeEventsTab();
    QWidget* makeDiagnosticsTab();
    void applyChainStatus();
    void applyDiagnostics();
    void applyRows();
    void chooseExportDestination(const ExportRequest& request);
    void showExportError();
    void currentRowChanged();
    void retryCurrent();

    const Clock& clock_;
    std::unique_ptr<TimelineWorker> worker_;
    std::shared_ptr<const TimelineViewState> state_;
    std::optional<Uuid> scrolledTo_;
    QTimer timer_;
    QToolButton* badge_;
    QLabel* sealLine_;
    QTabWidget* tabs_;
    FilterBarWidget* filterBar_;
    QStackedWidget* eventsPages_;
    QListView* list_;
    TimelineRowListModel* rowsModel_;
    QLabel* unavailableText_;
    QWidget* unavailablePage_;
    QWidget* emptyPage_;
    QPushButton* retry_;
    QTreeWidget* diagnostics_;
    bool showingExportError_ = false;
};

}  // namespace veyrune
