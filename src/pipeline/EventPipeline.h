#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pipeline/EventPipelineConfiguration.h"
#include "pipeline/EventPipelineResult.h"
#include "record/EventContext.h"
#include "record/RawSystemEvent.h"

namespace veyrune {

// Classifies raw system events: whether to record one, the event to record,
// whether to capture evidence and whether to alert. Stateless and pure; any thread.
class EventPipeline {
  public:
    // The wake reason and type texts of a `didWake` event; an absent one is empty.
    struct WakeInformation {
        std::string reason;
        std::string type;
        bool operator==(const WakeInformation&) const = default;
    };

    // Nothing when the event is not to be recorded (disarmed, or its kind is switched off).
    std::optional<EventPipelineResult> process(
        const RawSystemEvent& raw, const EventContext& context,
        const EventPipelineConfiguration& configuration) const;

    // The stored summary text of a raw event ("USB attached: Keyboard").
    static std::string summary(const RawSystemEvent& raw);
    // Whether the kind is recorded under these switches.
    static bool passesKindFilter(SecurityEventKind kind,
                                 const EventPipelineConfiguration& configuration);
    // Present only for `didWake` with a non-empty reason or type.
    static std::optional<WakeInformation> wakeInformation(const RawSystemEvent& raw);
    // A wake the system did on its own (timer, network) rather than the user.
    // The type is consulted before the reason; user words before timer words.
    static bool isMaintenanceWake(std::string_view reason, std::string_view type);
};

}  // namespace veyrune
