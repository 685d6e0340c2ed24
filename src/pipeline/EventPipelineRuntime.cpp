#include "pipeline/EventPipelineRuntime.h"

#include "base/Error.h"

namespace veyrune {

namespace {

template <typename Handler, typename... Args>
void call(const Handler& handler, const Args&... args) {
    if (handler) {
        handler(args...);
    }
}

}  // namespace

void EventPipelineRuntime::handle(const RawSystemEvent& raw) const {
    const EventContext context = contextProvider ? contextProvider() : EventContext{};
    const EventPipelineConfiguration configuration =
        configurationProvider ? configurationProvider() : EventPipelineConfiguration{};
    auto result = pipeline.process(raw, context, configuration);
    if (!result) {
        return;
    }
    try {
        eventStore.append(result->event);
    } catch (const std::exception& error) {
        call(errorHandler, error);
        return;
    } catch (...) {
        call(errorHandler, Error("The event could not be written to the event log."));
        return;
    }
    call(eventRecordedHandler, result->event);
    if (result->shouldAlert) {
        call(eventDeliveryHandler, AlertCandidate{result->event, raw.details});
    }
    if (result->evidenceRequest) {
        call(evidenceCaptureDispatcher, *result->evidenceRequest);
    }
}

}  // namespace veyrune
