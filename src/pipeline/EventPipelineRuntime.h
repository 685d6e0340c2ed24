#pragma once

#include <exception>
#include <functional>

#include "pipeline/AlertCandidate.h"
#include "pipeline/EventPipeline.h"
#include "record/SecurityEventStore.h"

namespace veyrune {

// Binds the pipeline to its collaborators and runs the fixed steps for one raw
// event: classify, append, tell, alert, capture. Built per raw event on the
// thread that appends to the log (the main thread); `eventStore` must outlive it.
struct EventPipelineRuntime {
    EventPipeline pipeline;
    SecurityEventStore& eventStore;
    std::function<EventContext()> contextProvider;
    std::function<EventPipelineConfiguration()> configurationProvider;
    std::function<void(const SecurityEvent&)> eventRecordedHandler;
    std::function<void(const AlertCandidate&)> eventDeliveryHandler;
    std::function<void(const EvidenceCaptureRequest&)> evidenceCaptureDispatcher;
    // Told when the event log fails; the event is then dropped.
    std::function<void(const std::exception&)> errorHandler;

    // Nobody hears of an event before it is on disk, the alert is handed over
    // before evidence capture starts, and a failed append reaches only
    // `errorHandler`. Handlers run synchronously. Never throws from the append.
    void handle(const RawSystemEvent& raw) const;
};

}  // namespace veyrune
