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

TEST(DiagnosticsSnapshot, FiveRowsInOrder) {
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
    EXPECT_EQ(ids,
              (std::vector{ID::camera, ID::screenshots, ID::telegram, ID::webhook, ID::sleepGate}));
    // One failed delivery in the shared outbox puts both channels into attention.
    EXPECT_EQ(snapshot.rows[2].state, State::attention);
    EXPECT_EQ(snapshot.rows[3].state, State::attention);
    EXPECT_EQ(snapshot.rows[4].state, State::ready);

    inputs.sleepGateAvailable = false;
    snapshot = makeDiagnosticsSnapshot(inputs);
    EXPECT_EQ(snapshot.rows[4].detail, "Alerts flush after wake only");
    EXPECT_EQ(snapshot.rows[4].state, State::attention);
}
