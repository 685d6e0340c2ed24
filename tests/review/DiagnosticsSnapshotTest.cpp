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

TEST(DiagnosticsSnapshot, CameraRows) {
    struct Row {
        bool on;
        Camera status;
        const char* detail;
        State state;
    } rows[] = {
        {false, Camera::denied, "Disabled in Evidence settings", State::inactive},
        {true, Camera::authorized, "Camera permission is granted", State::ready},
        {true, Camera::denied, "Camera permission is denied", State::attention},
        {true, Camera(42), "Camera permission status is unknown", State::attention},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            cameraRow(row.on, row.status),
            (DiagnosticRow{DiagnosticRow::ID::camera, "Camera snapshots", row.detail, row.state}));
    }
}

// Capture words its failures with the same table: both must read alike.
TEST(DiagnosticsSnapshot, CameraRowMatchesTheCaptureText) {
    for (bool on : {false, true}) {
        for (auto status : {Camera::notDetermined, Camera::restricted, Camera::denied,
                            Camera::authorized, Camera::unknown}) {
            auto capture = cameraPermissionText(on, status);
            auto row = cameraRow(on, status);
            EXPECT_EQ(row.detail, capture.text);
            EXPECT_EQ(int(row.state), int(capture.readiness));
        }
    }
}

TEST(DiagnosticsSnapshot, ScreenshotRowsNameTheMethodAndHowToUndoARefusal) {
    using Access = ScreenCaptureAccess;
    using Method = ScreenCaptureMethod;
    const std::string undo =
        ". The desktop refused the last screenshot; to allow it again, let Veyrune take "
        "screenshots in your desktop's settings (Apps or Privacy).";
    struct Row {
        bool on;
        Access access;
        Method method;
        std::string detail;
        State state;
    } rows[] = {
        {false, Access::granted, Method::desktopPortal, "Disabled in Evidence settings",
         State::inactive},
        {true, Access::granted, Method::x11Display,
         "Screen Recording permission is granted (via the X11 display)", State::ready},
        {true, Access::notGranted, Method::x11Display,
         "Screen Recording permission is not granted (via the X11 display)", State::attention},
        {true, Access::granted, Method::desktopPortal,
         "Screen Recording permission is granted (via the desktop portal)", State::ready},
        {true, Access::notGranted, Method::desktopPortal,
         "Screen Recording permission is not granted (via the desktop portal)", State::attention},
        {true, Access::refusedByUser, Method::desktopPortal,
         "Screen Recording permission is not granted (via the desktop portal)" + undo,
         State::attention},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            screenshotsRow(row.on, row.access, row.method),
            (DiagnosticRow{DiagnosticRow::ID::screenshots, "Screenshots", row.detail, row.state}));
    }
}

TEST(DiagnosticsSnapshot, ChannelRows) {
    struct Row {
        Channel setup;
        DeliveryQueueSummary summary;
        const char* telegram;
        const char* webhook;
        State state;
    } rows[] = {
        {Channel::configured, queue(2, 1),
         "Telegram alerts are configured. 2 pending alerts. 1 failed alert.",
         "Webhook alerts are configured. 2 pending alerts. 1 failed alert.", State::attention},
        {Channel::configured, queue(1, 0), "Telegram alerts are configured. 1 pending alert.",
         "Webhook alerts are configured. 1 pending alert.", State::ready},
        {Channel::notConfigured, queue(0, 0), "Telegram alerts are not configured.",
         "Webhook alerts are not configured.", State::attention},
        {Channel::unavailable, queue(4, 0),
         "Telegram configuration is unavailable. 4 pending alerts.",
         "Webhook alerts configuration is unavailable. 4 pending alerts.", State::attention},
        {Channel::disabled, queue(4, 4), "Disabled in Alerts settings",
         "Disabled in Alerts settings", State::inactive},
        // Unavailable storage comes first, even for a switched-off channel.
        {Channel::disabled, queue(0, 0, false), "Alert delivery storage is unavailable.",
         "Alert delivery storage is unavailable.", State::attention},
    };
    for (const auto& row : rows) {
        auto telegram = telegramRow(row.setup, row.summary);
        EXPECT_EQ(telegram, (DiagnosticRow{DiagnosticRow::ID::telegram, "Telegram alerts",
                                           row.telegram, row.state}));
        auto webhook =
            channelRow(DiagnosticRow::ID::webhook, "Webhook alerts", row.setup, row.summary);
        EXPECT_EQ(webhook, (DiagnosticRow{DiagnosticRow::ID::webhook, "Webhook alerts", row.webhook,
                                          row.state}));
    }
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
    ASSERT_EQ(snapshot.rows.size(), 5u);
    EXPECT_EQ(snapshot.rows[0].detail, "Disabled in Evidence settings");
    EXPECT_EQ(snapshot.rows[1],
              (DiagnosticRow{DiagnosticRow::ID::screenshots, "Screenshots",
                             "Screen Recording permission is not granted (via the X11 display)",
                             State::attention}));
    // One failed delivery in the shared outbox puts both channels into attention.
    EXPECT_EQ(snapshot.rows[2].state, State::attention);
    EXPECT_EQ(snapshot.rows[3].state, State::attention);
    EXPECT_EQ(snapshot.rows[4], (DiagnosticRow{DiagnosticRow::ID::sleepGate, "Sleep hold",
                                               "Alerts flush before sleep", State::ready}));

    inputs.captureScreenshots = false;
    inputs.sleepGateAvailable = false;
    snapshot = makeDiagnosticsSnapshot(inputs);
    EXPECT_EQ(snapshot.rows[1].state, State::inactive);
    EXPECT_EQ(snapshot.rows[4].detail, "Alerts flush after wake only");
    EXPECT_EQ(snapshot.rows[4].state, State::attention);
}
