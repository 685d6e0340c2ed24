#include "review/TimelineController.h"

#include <unordered_map>

namespace veyrune {

TimelineController::TimelineController(Collaborators collaborators,
                                       std::unique_ptr<TimestampFormatter> formatter)
    : c_(std::move(collaborators)),
      formatter_(std::move(formatter)),
      self_(std::make_shared<TimelineController*>(this)) {}

void TimelineController::refresh() {
    if (loadEvents()) {
        diagnostics_ = c_.diagnostics ? c_.diagnostics() : DiagnosticsSnapshot{};
        startChainVerification();
    }
    changed();
}

bool TimelineController::loadEvents() {
    try {
        log_.refresh(c_.events);
        events_ = TimelineEventSet::make(
            log_.newestFirst(), filter_, selectedEventID_,
            [this](const Uuid& id) { return log_.find(id); }, c_.clock.now());
    } catch (const std::exception& error) {
        errorText_ = error.what();
        return false;
    }
    buildRows();
    errorText_.reset();
    return true;
}

void TimelineController::buildRows() {
    std::unordered_map<Uuid, std::int64_t> evidenceCounts;
    try {
        for (const auto& item : c_.evidence.allItems()) {
            ++evidenceCounts[item.eventID];
        }
    } catch (const std::exception&) {
        // Unreadable evidence links leave each row with its event's own evidence IDs.
    }

    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> attempts;
    if (!events_.displayed.empty()) {
        std::unordered_set<Uuid> ids;
        for (const auto& event : events_.displayed) {
            ids.insert(event.id);
        }
        attempts = c_.deliveries.deliveryAttempts(ids);
    }

    static const std::vector<DeliveryAttempt> none;
    rows_.clear();
    rows_.reserve(events_.displayed.size());
    for (const auto& event : events_.displayed) {
        auto count = evidenceCounts.find(event.id);
        auto found = attempts.find(event.id);
        rows_.push_back(EventTimelineRowModel::make(
            event, count == evidenceCounts.end() ? 0 : count->second,
            found == attempts.end() ? none : found->second, *formatter_));
    }
}

void TimelineController::startChainVerification() {
    if (isVerifying_) {
        return;
    }
    isVerifying_ = true;
    std::weak_ptr<TimelineController*> owner = self_;
    const SecurityEventStore* store = &c_.events;
    MainQueue* mainQueue = &c_.mainQueue;
    c_.pool.run([owner, store, mainQueue, chain = chain_, kept = log_.keptLines(),
                 sealStatus = c_.sealStatus] {
        TimelineChainCheck::Outcome outcome{ChainVerificationResult::empty()};
        try {
            outcome = chain->check(*store, kept);
        } catch (const std::exception&) {
            // An unreadable log is shown like an empty one.
        }
        std::optional<SealChainStatus> seals;
        try {
            seals = sealStatus ? sealStatus() : std::nullopt;
        } catch (const std::exception&) {
            // Unreadable seals are shown like none.
        }
        mainQueue->post([owner, outcome, seals] {
            if (auto self = owner.lock()) {
                (*self)->chainChecked(outcome, seals);
            }
        });
    });
}

void TimelineController::chainChecked(const TimelineChainCheck::Outcome& outcome,
                                      const std::optional<SealChainStatus>& seals) {
    chainStatus_ = ChainStatusProjection::make(outcome.result);
    sealText_.reset();
    if (seals && seals->intact) {
        sealText_ = "Sealed through " + formatter_->format(seals->through);
    } else if (seals) {
        sealText_ = "Seals broken at seal " + std::to_string(seals->brokenAt);
    }
    isVerifying_ = false;
    if (outcome.keptLinesChanged) {
        // Lines the rows came from were rewritten behind the appended ones.
        log_.forget();
        loadEvents();
    }
    changed();
}

void TimelineController::retryDelivery(const Uuid& eventID) {
    c_.deliveries.retry(eventID);
    refresh();
}

void TimelineController::timerFired() {
    if (!isExporting_) {
        refresh();
    }
}

void TimelineController::setFilter(const TimelineFilter& filter) {
    if (filter == filter_) {
        return;
    }
    filter_ = filter;
    refresh();
}

void TimelineController::setSelectedEventID(const std::optional<Uuid>& eventID) {
    if (eventID == selectedEventID_) {
        return;
    }
    selectedEventID_ = eventID;
    selectedTab_ = TimelineTab::events;
    refresh();
}

ExportRequest TimelineController::beginExport(ExportFormat format) {
    isExporting_ = true;
    return ExportRequest::make(format, events_, filter_, chainStatus_);
}

void TimelineController::finishExport(const ExportRequest& request,
                                      const std::optional<std::filesystem::path>& destination) {
    if (destination) {
        exportErrorText_ = c_.exporter.write(request, *destination);
    }
    isExporting_ = false;
    changed();
}

void TimelineController::changed() {
    if (onChange_) {
        onChange_();
    }
}

}  // namespace veyrune
