#pragma once

namespace veyrune {

// A snapshot of the switches that decide what the pipeline records, captures
// and alerts.
struct EventPipelineConfiguration {
    bool isArmed = false;
    bool captureCamera = false;
    bool captureScreenshots = false;
    bool captureUSB = false;
    bool captureVolumes = false;
    bool captureDisplay = false;
    bool captureAudio = false;
    bool alertOnMaintenanceWake = false;

    bool operator==(const EventPipelineConfiguration&) const = default;
};

}  // namespace veyrune
