#pragma once

#include <string_view>

namespace veyrune {

// The two tabs of the timeline window.
enum class TimelineTab { events, diagnostics };

constexpr std::string_view tabLabel(TimelineTab tab) {
    return tab == TimelineTab::events ? "Events" : "Diagnostics";
}

constexpr std::string_view tabSymbol(TimelineTab tab) {
    return tab == TimelineTab::events ? "list.bullet.rectangle" : "stethoscope";
}

}  // namespace veyrune
