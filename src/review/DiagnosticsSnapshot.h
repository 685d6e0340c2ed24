#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "credentials/ChannelSetupState.h"
#include "evidence/CameraAuthorizationStatus.h"
#include "evidence/ScreenCaptureAccess.h"
#include "evidence/ScreenCaptureMethod.h"
#include "forward/ForwardingStatus.h"
#include "outbox/DeliveryQueueSummary.h"
#include "review/DiagnosticRow.h"

namespace veyrune {

// The diagnostics rows in display order, and words about some rows
// that are not part of their texts (shown beside the row, as its tooltip).
struct DiagnosticsSnapshot {
    std::vector<DiagnosticRow> rows;
    std::map<DiagnosticRow::ID, std::string> notes;

    bool operator==(const DiagnosticsSnapshot&) const = default;
};

// Plain inputs of one snapshot, gathered fresh on each timeline refresh.
struct DiagnosticsInputs {
    bool captureCamera = false;
    bool captureScreenshots = false;
    CameraAuthorizationStatus cameraStatus = CameraAuthorizationStatus::notDetermined;
    ScreenCaptureAccess screenCaptureAccess = ScreenCaptureAccess::notGranted;
    ScreenCaptureMethod screenCaptureMethod = ScreenCaptureMethod::x11Display;
    ChannelSetupState telegram = ChannelSetupState::disabled;
    ChannelSetupState webhook = ChannelSetupState::disabled;
    DeliveryQueueSummary queueSummary;
    bool sleepGateAvailable = false;
    bool sealEventLog = false;
    std::string sealingError;  // the sealing service's last failure; empty when none
    ForwardingStatus systemJournal;
    ForwardingStatus collector;
    std::string collectorAddress;  // "host:port" as set
};

DiagnosticsSnapshot makeDiagnosticsSnapshot(const DiagnosticsInputs& inputs);

// `text`, then "2 pending alerts." and "1 failed alert." when the counts are
// at least one, joined by single blanks.
std::string queueSuffix(const std::string& text, std::int64_t pendingCount,
                        std::int64_t failedCount);

DiagnosticRow cameraRow(bool captureCamera, CameraAuthorizationStatus status);
// A refusal by the desktop reads like any other missing permission here; the
// note below says more.
DiagnosticRow screenshotsRow(bool captureScreenshots, ScreenCaptureAccess access);
// The screenshots row's note: how screenshots are taken ("via the X11
// display", "via the desktop portal") and, after a refusal by the desktop,
// where to allow them again.
std::string screenshotsNote(ScreenCaptureAccess access, ScreenCaptureMethod method);
DiagnosticRow telegramRow(ChannelSetupState state, const DeliveryQueueSummary& summary);
// `channelName` is composed into the texts ("Webhook alerts are configured.").
DiagnosticRow channelRow(DiagnosticRow::ID id, const std::string& channelName,
                         ChannelSetupState state, const DeliveryQueueSummary& summary);
DiagnosticRow sleepGateRow(bool sleepGateAvailable);
// `lastError` is the sealing service's: with the switch off it tells why
// sealing stopped by itself (its key file went).
DiagnosticRow sealingRow(bool sealEventLog, const std::string& lastError);
// The log's routes; a route that is off is `inactive`, one that is not yet
// or no longer sending is `attention`, and the count of events still waiting
// is added while there are any.
DiagnosticRow systemJournalRow(const ForwardingStatus& status);
DiagnosticRow collectorRow(const ForwardingStatus& status, const std::string& address);
// A failing route's note: its whole failure (the row's text may be cut short)
// and that the events wait; nothing for a route that is not failing.
std::string routeNote(const ForwardingStatus& status, const std::string& route);

}  // namespace veyrune
