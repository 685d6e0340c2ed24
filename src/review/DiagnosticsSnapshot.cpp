#include "review/DiagnosticsSnapshot.h"

#include "evidence/CameraPermissionText.h"

namespace veyrune {

namespace {

using State = DiagnosticState;
using ID = DiagnosticRow::ID;

const std::string kEvidenceDisabled = "Disabled in Evidence settings";

std::string countPart(std::int64_t count, const char* adjective) {
    return std::to_string(count) + " " + adjective + (count == 1 ? " alert." : " alerts.");
}

const std::string kLogEnginesDisabled = "Disabled in Log Engines settings";

// "Connected to logs.example.org:6514." then "12 events waiting." when any wait.
std::string withWaiting(const std::string& text, std::uint64_t waiting) {
    if (waiting == 0) {
        return text;
    }
    return text + " " + std::to_string(waiting) + (waiting == 1 ? " event" : " events") +
           " waiting.";
}

// A failure's text ends the sentence it is put into.
std::string sentence(std::string text) {
    if (text.empty()) {
        return "no reason given.";
    }
    if (text.back() != '.') {
        text += '.';
    }
    return text;
}

State diagnosticState(CameraPermissionReadiness readiness) {
    switch (readiness) {
        case CameraPermissionReadiness::ready:
            return State::ready;
        case CameraPermissionReadiness::inactive:
            return State::inactive;
        case CameraPermissionReadiness::attention:
            break;
    }
    return State::attention;
}

}  // namespace

std::string queueSuffix(const std::string& text, std::int64_t pendingCount,
                        std::int64_t failedCount) {
    std::string result = text;
    if (pendingCount >= 1) {
        result += " " + countPart(pendingCount, "pending");
    }
    if (failedCount >= 1) {
        result += " " + countPart(failedCount, "failed");
    }
    return result;
}

DiagnosticRow cameraRow(bool captureCamera, CameraAuthorizationStatus status) {
    auto permission = cameraPermissionText(captureCamera, status);
    return {ID::camera, "Camera snapshots", permission.text, diagnosticState(permission.readiness)};
}

DiagnosticRow screenshotsRow(bool captureScreenshots, ScreenCaptureAccess access) {
    const std::string title = "Screenshots";
    if (!captureScreenshots) {
        return {ID::screenshots, title, kEvidenceDisabled, State::inactive};
    }
    if (access == ScreenCaptureAccess::granted) {
        return {ID::screenshots, title, "Screen Recording permission is granted", State::ready};
    }
    return {ID::screenshots, title, "Screen Recording permission is not granted", State::attention};
}

std::string screenshotsNote(ScreenCaptureAccess access, ScreenCaptureMethod method) {
    std::string note = method == ScreenCaptureMethod::desktopPortal
                           ? "Screenshots are taken via the desktop portal."
                           : "Screenshots are taken via the X11 display.";
    if (access == ScreenCaptureAccess::refusedByUser) {
        note +=
            " The desktop refused the last screenshot; to allow it again, let Veyrune take "
            "screenshots in your desktop's settings (Apps or Privacy).";
    }
    return note;
}

DiagnosticRow channelRow(ID id, const std::string& channelName, ChannelSetupState state,
                         const DeliveryQueueSummary& summary) {
    const std::string& title = channelName;
    if (summary.storageAvailability == DeliveryStorageAvailability::unavailable) {
        return {id, title, "Alert delivery storage is unavailable.", State::attention};
    }
    auto withQueue = [&](const std::string& text) {
        return queueSuffix(text, summary.pendingCount, summary.failedCount);
    };
    switch (state) {
        case ChannelSetupState::notConfigured:
            return {id, title, withQueue(channelName + " are not configured."), State::attention};
        case ChannelSetupState::unavailable:
            return {id, title, withQueue(channelName + " configuration is unavailable."),
                    State::attention};
        case ChannelSetupState::disabled:
            return {id, title, "Disabled in Alerts settings", State::inactive};
        case ChannelSetupState::configured:
            return {id, title, withQueue(channelName + " are configured."),
                    summary.failedCount >= 1 ? State::attention : State::ready};
    }
    return {id, title, "", State::attention};
}

DiagnosticRow telegramRow(ChannelSetupState state, const DeliveryQueueSummary& summary) {
    DiagnosticRow row = channelRow(ID::telegram, "Telegram alerts", state, summary);
    // Its unreadable configuration reads "Telegram configuration", not "Telegram alerts
    // configuration".
    if (state == ChannelSetupState::unavailable &&
        summary.storageAvailability == DeliveryStorageAvailability::available) {
        row.detail = queueSuffix("Telegram configuration is unavailable.", summary.pendingCount,
                                 summary.failedCount);
    }
    return row;
}

DiagnosticRow sleepGateRow(bool sleepGateAvailable) {
    if (sleepGateAvailable) {
        return {ID::sleepGate, "Sleep hold", "Alerts flush before sleep", State::ready};
    }
    return {ID::sleepGate, "Sleep hold", "Alerts flush after wake only", State::attention};
}

DiagnosticRow sealingRow(bool sealEventLog, const std::string& lastError) {
    const std::string title = "Event log sealing";
    // A failure that turned the switch off (the key file went) is news; a
    // switch the user turned off leaves no failure behind.
    if (!lastError.empty()) {
        return {ID::sealing, title,
                (sealEventLog ? "Sealing failed: " : "Sealing stopped: ") + sentence(lastError),
                State::attention};
    }
    if (!sealEventLog) {
        return {ID::sealing, title, "Disabled in General settings", State::inactive};
    }
    return {ID::sealing, title, "The event log is being sealed", State::ready};
}

DiagnosticRow systemJournalRow(const ForwardingStatus& status) {
    const std::string title = "System journal";
    using Route = ForwardingStatus::State;
    switch (status.state) {
        case Route::off:
            return {ID::systemJournal, title, kLogEnginesDisabled, State::inactive};
        case Route::connecting:
            return {ID::systemJournal, title,
                    withWaiting("Starting to record.", status.waitingLines), State::attention};
        case Route::connected:
            return {ID::systemJournal, title,
                    withWaiting("Recording every event.", status.waitingLines), State::ready};
        case Route::failing:
            return {ID::systemJournal, title,
                    withWaiting("Recording failed: " + sentence(status.error), status.waitingLines),
                    State::attention};
    }
    return {ID::systemJournal, title, "", State::attention};
}

DiagnosticRow collectorRow(const ForwardingStatus& status, const std::string& address) {
    const std::string title = "Central collector";
    const std::string where = address.empty() ? "the collector" : address;
    using Route = ForwardingStatus::State;
    switch (status.state) {
        case Route::off:
            // An address is set, yet no route could be made of it: a
            // defaults file is not checked the way the settings form is.
            if (!address.empty()) {
                return {ID::collector, title,
                        "Not sending to " + address +
                            ": check the address and the certificate files in Log Engines "
                            "settings.",
                        State::attention};
            }
            return {ID::collector, title, kLogEnginesDisabled, State::inactive};
        case Route::connecting:
            return {ID::collector, title,
                    withWaiting("Connecting to " + where + ".", status.waitingLines),
                    State::attention};
        case Route::connected:
            return {ID::collector, title,
                    withWaiting("Connected to " + where + ".", status.waitingLines), State::ready};
        case Route::failing:
            return {ID::collector, title,
                    withWaiting("Not sending to " + where + ": " + sentence(status.error),
                                status.waitingLines),
                    State::attention};
    }
    return {ID::collector, title, "", State::attention};
}

std::string routeNote(const ForwardingStatus& status, const std::string& route) {
    if (status.state != ForwardingStatus::State::failing) {
        return {};
    }
    return "The last attempt failed: " + sentence(status.error) +
           " Nothing is lost meanwhile: the events wait in the event log and go to " + route +
           " in order once it takes them again.";
}

DiagnosticsSnapshot makeDiagnosticsSnapshot(const DiagnosticsInputs& inputs) {
    DiagnosticsSnapshot snapshot{
        {
            cameraRow(inputs.captureCamera, inputs.cameraStatus),
            screenshotsRow(inputs.captureScreenshots, inputs.screenCaptureAccess),
            telegramRow(inputs.telegram, inputs.queueSummary),
            channelRow(ID::webhook, "Webhook alerts", inputs.webhook, inputs.queueSummary),
            sleepGateRow(inputs.sleepGateAvailable),
            sealingRow(inputs.sealEventLog, inputs.sealingError),
            systemJournalRow(inputs.systemJournal),
            collectorRow(inputs.collector, inputs.collectorAddress),
        },
        {{ID::screenshots,
          screenshotsNote(inputs.screenCaptureAccess, inputs.screenCaptureMethod)}}};
    const std::pair<ID, std::string> routes[] = {
        {ID::systemJournal, routeNote(inputs.systemJournal, "the journal")},
        {ID::collector, routeNote(inputs.collector, "the collector")},
    };
    if (!inputs.sealingError.empty()) {
        // The row's text may be cut short on screen.
        snapshot.notes[ID::sealing] = sentence(inputs.sealingError);
    }
    for (const auto& [id, note] : routes) {
        if (!note.empty()) {
            snapshot.notes[id] = note;
        }
    }
    return snapshot;
}

}  // namespace veyrune
