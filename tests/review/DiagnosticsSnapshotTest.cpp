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
        {true, Camera::notDetermined, "Camera permission has not been requested", State::attention},
        {true, Camera::restricted, "Camera permission is restricted", State::attention},
        {true, Camera::denied, "Camera permission is denied", State::attention},
        {true, Camera::unknown, "Camera permission status is unknown", State::attention},
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
        {Channel::configured, queue(0, 3), "Telegram alerts are configured. 3 failed alerts.",
         "Webhook alerts are configured. 3 failed alerts.", State::attention},
        {Channel::notConfigured, queue(0, 0), "Telegram alerts are not configured.",
         "Webhook alerts are not configured.", State::attention},
        {Channel::unavailable, queue(0, 0), "Telegram configuration is unavailable.",
         "Webhook alerts configuration is unavailable.", State::attention},
        {Channel::unavailable, queue(4, 0),
         "Telegram configuration is unavailable. 4 pending alerts.",
         "Webhook alerts configuration is unavailable. 4 pending alerts.", State::attention},
        {Channel::disabled, queue(4, 4), "Disabled in Alerts settings",
         "Disabled in Alerts settings", State::inactive},
        // Unavailable storage comes first, even for a switched-off channel.
        {Channel::disabled, queue(0, 0, false), "Alert delivery storage is unavailable.",
         "Alert delivery storage is unavailable.", State::attention},
        {Channel::configured, queue(0, 0, false), "Alert delivery storage is unavailable.",
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
    inputs.screenCaptureAllowed = false;
    inputs.telegram = Channel::configured;
    inputs.webhook = Channel::configured;
    inputs.queueSummary = queue(0, 1);
    inputs.sleepGateAvailable = true;
    auto snapshot = makeDiagnosticsSnapshot(inputs);
    ASSERT_EQ(snapshot.rows.size(), 5u);
    EXPECT_EQ(snapshot.rows[0].detail, "Disabled in Evidence settings");
    EXPECT_EQ(snapshot.rows[1],
              (DiagnosticRow{DiagnosticRow::ID::screenshots, "Screenshots",
                             "Screen Recording permission is not granted", State::attention}));
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
    std::vector<std::string> ids;
    for (const auto& row : snapshot.rows) {
        ids.emplace_back(rawValue(row.id));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"camera", "screenshots", "telegram", "webhook",
                                             "sleepGate"}));
}
