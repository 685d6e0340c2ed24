#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "review/ChainStatusProjection.h"
#include "review/DiagnosticsSnapshot.h"
#include "review/EventTimelineRowModel.h"
#include "review/TimelineFilter.h"
#include "review/TimelineTab.h"

namespace veyrune {

// One published state of the timeline, immutable once made: what the window
// draws. `rows` is shared with the previous state when the rows did not change.
struct TimelineViewState {
    std::shared_ptr<const std::vector<EventTimelineRowModel>> rows;
    int total = 0;  // events in the whole log
    TimelineFilter filter;
    DiagnosticsSnapshot diagnostics;
    std::optional<std::string> errorText;
    std::optional<std::string> exportErrorText;
    std::optional<ChainStatusProjection> chainStatus;
    std::optional<std::string> sealText;  // beside the chain badge when the log is sealed
    std::optional<Uuid> selectedEventID;
    TimelineTab selectedTab = TimelineTab::events;
    bool isExporting = false;
};

}  // namespace veyrune
