#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/MainQueue.h"
#include "base/TaskPool.h"
#include "record/EvidenceItemStore.h"
#include "review/ChainStatusProjection.h"
#include "review/DeliveryStatusSource.h"
#include "review/DiagnosticsSnapshot.h"
#include "review/EventTimelineRowModel.h"
#include "review/TimelineChainCheck.h"
#include "review/TimelineEventLog.h"
#include "review/TimelineEventSet.h"
#include "review/TimelineExporter.h"
#include "review/TimelineTab.h"
#include "seal/SealChainCheck.h"

namespace veyrune {

// The timeline window's state and behaviour without the drawing: refresh,
// chain verification, retry and export. Used on the main thread only; the
// chain check runs on the task pool and reports back through the main queue.
// The events are kept between refreshes, so an unchanged log is not read and
// a grown one only from where it was left; the chain is verified from the
// first line whenever the log changed at all, and when that full read finds
// the kept lines changed the events are read again too.
// Every collaborator must outlive the controller and any check it started.
class TimelineController {
  public:
    struct Collaborators {
        const SecurityEventStore& events;
        const EvidenceItemStore& evidence;
        DeliveryStatusSource& deliveries;
        std::function<DiagnosticsSnapshot()> diagnostics;  // fresh inputs each call
        const TimelineExporter& exporter;
        const Clock& clock;
        TaskPool& pool;
        MainQueue& mainQueue;
        // Optional: the seals' own chain, read on `pool` with each chain check.
        std::function<std::optional<SealChainStatus>()> sealStatus = {};
    };

    TimelineController(Collaborators collaborators, std::unique_ptr<TimestampFormatter> formatter);
    // Neither copied nor moved: a running check holds this address.
    TimelineController(const TimelineController&) = delete;
    TimelineController& operator=(const TimelineController&) = delete;

    void refresh();
    // Does nothing while a check is running.
    void startChainVerification();
    void retryDelivery(const Uuid& eventID);
    // The two-second timer; skipped while an export is running.
    void timerFired();
    void setFilter(const TimelineFilter& filter);
    // The navigation state's selection; a different value shows the events tab.
    void setSelectedEventID(const std::optional<Uuid>& eventID);
    void selectTab(TimelineTab tab) { selectedTab_ = tab; }

    // Export: begin when the save dialog opens; finish with the chosen file,
    // or nothing when the user cancelled.
    ExportRequest beginExport(ExportFormat format);
    void finishExport(const ExportRequest& request,
                      const std::optional<std::filesystem::path>& destination);
    void dismissExportError() { exportErrorText_.reset(); }

    // Called after each change of the state below.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    const std::vector<EventTimelineRowModel>& rows() const { return rows_; }
    const TimelineEventSet& events() const { return events_; }
    const TimelineFilter& filter() const { return filter_; }
    const DiagnosticsSnapshot& diagnostics() const { return diagnostics_; }
    const std::optional<std::string>& errorText() const { return errorText_; }
    const std::optional<std::string>& exportErrorText() const { return exportErrorText_; }
    const std::optional<ChainStatusProjection>& chainStatus() const { return chainStatus_; }
    // "Sealed through <date and time>" or where the seals broke; nothing when
    // the log is not sealed.
    const std::optional<std::string>& sealText() const { return sealText_; }
    TimelineTab selectedTab() const { return selectedTab_; }
    bool isExporting() const { return isExporting_; }
    bool isVerifying() const { return isVerifying_; }

  private:
    // Reads the events and builds the rows; false (with errorText) on a read error.
    bool loadEvents();
    void buildRows();
    void chainChecked(const TimelineChainCheck::Outcome& outcome,
                      const std::optional<SealChainStatus>& seals);
    void changed();

    Collaborators c_;
    std::unique_ptr<TimestampFormatter> formatter_;
    TimelineEventLog log_;
    // Handed to one check at a time (isVerifying_), on the pool.
    std::shared_ptr<TimelineChainCheck> chain_ = std::make_shared<TimelineChainCheck>();
    std::optional<Uuid> selectedEventID_;
    std::vector<EventTimelineRowModel> rows_;
    TimelineEventSet events_;
    TimelineFilter filter_;
    DiagnosticsSnapshot diagnostics_;
    std::optional<std::string> errorText_;
    std::optional<std::string> exportErrorText_;
    std::optional<ChainStatusProjection> chainStatus_;
    std::optional<std::string> sealText_;
    TimelineTab selectedTab_ = TimelineTab::events;
    bool isExporting_ = false;
    bool isVerifying_ = false;
    std::function<void()> onChange_;
    // Results of a check that finishes after the controller is gone are dropped.
    std::shared_ptr<TimelineController*> self_;
};

}  // namespace veyrune
