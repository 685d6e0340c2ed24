#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "credentials/ChannelSetupState.h"
#include "evidence/CameraAuthorizationStatus.h"
#include "outbox/DeliveryQueueSummary.h"
#include "review/DiagnosticRow.h"

namespace veyrune {

// The five diagnostics rows in display order.
struct DiagnosticsSnapshot {
    std::vector<DiagnosticRow> rows;

    bool operator==(const DiagnosticsSnapshot&) const = default;
};

// Plain inputs of one snapshot, gathered fresh on each timeline refresh.
struct DiagnosticsInputs {
    bool captureCamera = false;
    bool captureScreenshots = false;
    CameraAuthorizationStatus cameraStatus = CameraAuthorizationStatus::notDetermined;
    bool screenCaptureAllowed = false;
    ChannelSetupState telegram = ChannelSetupState::disabled;
    ChannelSetupState webhook = ChannelSetupState::disabled;
    DeliveryQueueSummary queueSummary;
    bool sleepGateAvailable = false;
};

DiagnosticsSnapshot makeDiagnosticsSnapshot(const DiagnosticsInputs& inputs);

// `text`, then "2 pending alerts." and "1 failed alert." when the counts are
// at least one, joined by single blanks.
std::string queueSuffix(const std::string& text, std::int64_t pendingCount,
                        std::int64_t failedCount);

DiagnosticRow cameraRow(bool captureCamera, CameraAuthorizationStatus status);
DiagnosticRow screenshotsRow(bool captureScreenshots, bool screenCaptureAllowed);
DiagnosticRow telegramRow(ChannelSetupState state, const DeliveryQueueSummary& summary);
// `channelName` is composed into the texts ("Webhook alerts are configured.").
DiagnosticRow channelRow(DiagnosticRow::ID id, const std::string& channelName,
                         ChannelSetupState state, const DeliveryQueueSummary& summary);
DiagnosticRow sleepGateRow(bool sleepGateAvailable);

}  // namespace veyrune
