#include <gtest/gtest.h>

#include "evidence/CameraPermissionText.h"
#include "review/DiagnosticsSnapshot.h"

using namespace veyrune;
using State = DiagnosticState;
using Channel = ChannelSetupState;
using Camera = CameraAuthorizationStatus;

namespace {

DeliveryQueueSummary queue(std::int64_t pending, std::int64_t failed, bool available = true) {
    return {pending, failed,
            available ? DeliveryStorageAvailability::available
                      : DeliveryStorageAvailability::unavailable};
}

}  // namespace

// Capture words its failures with the same table: both must read alike.
TEST(DiagnosticsSnapshot, CameraRowMatchesTheCaptureText) {
    for (bool on : {false, true}) {
        for (auto status : {Camera::notDetermined, Camera::restricted, Camera::denied,
                            Camera::authorized, Camera::unknown, Camera(42)}) {
            auto capture = cameraPermissionText(on, status);
            auto row = cameraRow(on, status);
            EXPECT_EQ(row.id, DiagnosticRow::ID::camera);
            EXPECT_EQ(row.detail, capture.text);
            EXPECT_EQ(int(row.state), int(capture.readiness));
        }
    }
}

// The row's texts are fixed; how screenshots are taken and what to do after
// a refusal go into the row's note instead.
TEST(DiagnosticsSnapshot, ScreenshotsRowKeepsItsOwnTextsAndTheNoteCarriesTheRest) {
    using Access = ScreenCaptureAccess;
    using Method = ScreenCaptureMethod;
    const std::string refusal =
        " The desktop refused the last screenshot; to allow it again, let Veyrune take "
        "screenshots in your desktop's settings (Apps or Privacy).";
    struct Row {
        bool on;
        Access access;
        Method method;
        const char* detail;
        State state;
        std::string note;
    } rows[] = {
        {false, Access::granted, Method::x11Display, "Disabled in Evidence settings",
         State::inactive, "Screenshots are taken via the X11 display."},
        {true, Access::granted, Method::desktopPortal, "Screen Recording permission is granted",
         State::ready, "Screenshots are taken via the desktop portal."},
        {true, Access::notGranted, Method::x11Display, "Screen Recording permission is not granted",
         State::attention, "Screenshots are taken via the X11 display."},
        {true, Access::refusedByUser, Method::desktopPortal,
         "Screen Recording permission is not granted", State::attention,
         "Screenshots are taken via the desktop portal." + refusal},
    };
    for (const auto& row : rows) {
        DiagnosticsInputs inputs;
        inputs.captureScreenshots = row.on;
        inputs.screenCaptureAccess = row.access;
        inputs.screenCaptureMethod = row.method;
        auto snapshot = makeDiagnosticsSnapshot(inputs);
        EXPECT_EQ(snapshot.rows[1], (DiagnosticRow{DiagnosticRow::ID::screenshots, "Screenshots",
                                                   row.detail, row.state}));
        EXPECT_EQ(snapshot.notes.at(DiagnosticRow::ID::screenshots), row.note);
    }
}

TEST(DiagnosticsSnapshot, ChannelRows) {
    struct Row {
        Channel setup;
        DeliveryQueueSummary summary;
        const char* telegram;
        State state;
    } rows[] = {
        {Channel::configured, queue(2, 1),
         "Telegram alerts are configured. 2 pending alerts. 1 failed alert.", State::attention},
        {Channel::configured, queue(1, 0), "Telegram alerts are configured. 1 pending alert.",
         State::ready},
        {Channel::disabled, queue(4, 4), "Disabled in Alerts settings", State::inactive},
        // Unavailable storage comes first, even for a switched-off channel.
        {Channel::disabled, queue(0, 0, false), "Alert delivery storage is unavailable.",
         State::attention},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(telegramRow(row.setup, row.summary),
                  (DiagnosticRow{DiagnosticRow::ID::telegram, "Telegram alerts", row.telegram,
                                 row.state}));
    }
    EXPECT_EQ(
        channelRow(DiagnosticRow::ID::webhook, "Webhook alerts", Channel::unavailable, queue(4, 0)),
        (DiagnosticRow{DiagnosticRow::ID::webhook, "Webhook alerts",
                       "Webhook alerts configuration is unavailable. 4 pending alerts.",
                       State::attention}));
}

// A route's row must not hide a failure behind its backlog, nor report a
// backlog for a route that is off; counts read as words.
TEST(DiagnosticsSnapshot, LogRouteRowsSayWhetherEventsLeaveAndHowManyWait) {
    using Route = ForwardingStatus::State;
    struct Row {
        Route route;
        std::uint64_t waiting;
        std::string error;
        const char* journal;
        const char* collector;
        State state;
    } rows[] = {
        {Route::connecting, 0, "", "Starting to record.", "Connecting to logs.example.org:6514.",
         State::attention},
        {Route::connected, 0, "", "Recording every event.", "Connected to logs.example.org:6514.",
         State::ready},
        {Route::connected, 1, "", "Recording every event. 1 event waiting.",
         "Connected to logs.example.org:6514. 1 event waiting.", State::ready},
        {Route::connecting, 12, "", "Starting to record. 12 events waiting.",
         "Connecting to logs.example.org:6514. 12 events waiting.", State::attention},
        {Route::failing, 12, "certificate refused: it names another host",
         "Recording failed: certificate refused: it names another host. 12 events waiting.",
         "Not sending to logs.example.org:6514: certificate refused: it names another host. 12 "
         "events waiting.",
         State::attention},
        // A failure that already ends its sentence, and one without words.
        {Route::failing, 0, "Connection refused.", "Recording failed: Connection refused.",
         "Not sending to logs.example.org:6514: Connection refused.", State::attention},
        {Route::failing, 0, "", "Recording failed: no reason given.",
         "Not sending to logs.example.org:6514: no reason given.", State::attention},
    };
    for (const auto& row : rows) {
        ForwardingStatus status{row.route, row.waiting, row.error, std::nullopt};
        EXPECT_EQ(systemJournalRow(status),
                  (DiagnosticRow{DiagnosticRow::ID::systemJournal, "System journal", row.journal,
                                 row.state}));
        EXPECT_EQ(collectorRow(status, "logs.example.org:6514"),
                  (DiagnosticRow{DiagnosticRow::ID::collector, "Central collector", row.collector,
                                 row.state}));
    }
    // Off is off only without an address: one that no route could be made of
    // (a defaults file the form never checked) needs attention.
    EXPECT_EQ(systemJournalRow({Route::off, 40, "", std::nullopt}),
              (DiagnosticRow{DiagnosticRow::ID::systemJournal, "System journal",
                             "Disabled in Log Engines settings", State::inactive}));
    EXPECT_EQ(collectorRow({Route::off, 40, "", std::nullopt}, ""),
              (DiagnosticRow{DiagnosticRow::ID::collector, "Central collector",
                             "Disabled in Log Engines settings", State::inactive}));
    EXPECT_EQ(collectorRow({Route::off, 0, "", std::nullopt}, "logs.example.org:port"),
              (DiagnosticRow{DiagnosticRow::ID::collector, "Central collector",
                             "Not sending to logs.example.org:port: check the address and the "
                             "certificate files in Log Engines settings.",
                             State::attention}));
    // A status that outlived its address still reads as a sentence.
    EXPECT_EQ(collectorRow({Route::connected, 0, "", std::nullopt}, "").detail,
              "Connected to the collector.");
}

// Sealing that stopped by itself (its key file gone turns the switch off) must
// not look like sealing the user switched off.
TEST(DiagnosticsSnapshot, SealingRowTellsAFailureEvenWhenItTurnedTheSwitchOff) {
    struct Row {
        bool on;
        const char* error;
        const char* detail;
        State state;
    } rows[] = {
        {false, "", "Disabled in General settings", State::inactive},
        {false, "The sealing key file /k is gone",
         "Sealing stopped: The sealing key file /k is gone.", State::attention},
        {true, "", "The event log is being sealed", State::ready},
        {true, "No space left on device", "Sealing failed: No space left on device.",
         State::attention},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(sealingRow(row.on, row.error),
                  (DiagnosticRow{DiagnosticRow::ID::sealing, "Event log sealing", row.detail,
                                 row.state}));
    }
}

TEST(DiagnosticsSnapshot, EveryRowInDisplayOrderFedByItsOwnInput) {
    DiagnosticsInputs inputs;
    inputs.captureScreenshots = true;
    inputs.screenCaptureAccess = ScreenCaptureAccess::notGranted;
    inputs.telegram = Channel::configured;
    inputs.webhook = Channel::configured;
    inputs.queueSummary = queue(0, 1);
    inputs.sleepGateAvailable = true;
    auto snapshot = makeDiagnosticsSnapshot(inputs);
    std::vector<DiagnosticRow::ID> ids;
    for (const auto& row : snapshot.rows) {
        ids.push_back(row.id);
    }
    using ID = DiagnosticRow::ID;
    EXPECT_EQ(ids, (std::vector{ID::camera, ID::screenshots, ID::telegram, ID::webhook,
                                ID::sleepGate, ID::sealing, ID::systemJournal, ID::collector}));
    // One failed delivery in the shared outbox puts both channels into attention.
    EXPECT_EQ(snapshot.rows[2].state, State::attention);
    EXPECT_EQ(snapshot.rows[3].state, State::attention);
    EXPECT_EQ(snapshot.rows[4].state, State::ready);

    // Nothing configured: the three newer rows are shown, switched off.
    for (std::size_t i = 5; i < 8; ++i) {
        EXPECT_EQ(snapshot.rows[i].state, State::inactive) << i;
    }

    inputs.sleepGateAvailable = false;
    inputs.sealEventLog = true;
    inputs.systemJournal.state = ForwardingStatus::State::connected;
    inputs.collector = {ForwardingStatus::State::failing, 3, "refused", std::nullopt};
    inputs.collectorAddress = "10.0.0.5:2514";
    snapshot = makeDiagnosticsSnapshot(inputs);
    EXPECT_EQ(snapshot.rows[4].detail, "Alerts flush after wake only");
    EXPECT_EQ(snapshot.rows[4].state, State::attention);
    EXPECT_EQ(snapshot.rows[5].state, State::ready);
    EXPECT_EQ(snapshot.rows[6].detail, "Recording every event.");
    EXPECT_EQ(snapshot.rows[7].detail, "Not sending to 10.0.0.5:2514: refused. 3 events waiting.");
    // Only the failing route explains itself in a note (its text may be cut short on screen).
    EXPECT_EQ(snapshot.notes.at(ID::collector),
              "The last attempt failed: refused. Nothing is lost meanwhile: the events wait in the "
              "event log and go to the collector in order once it takes them again.");
    EXPECT_FALSE(snapshot.notes.contains(ID::systemJournal));
}
