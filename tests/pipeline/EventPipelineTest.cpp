#include <gtest/gtest.h>

#include "pipeline/EventPipeline.h"

using namespace veyrune;

namespace {

RawSystemEvent raw(SecurityEventKind kind, std::map<std::string, std::string> details = {}) {
    return RawSystemEvent{Uuid::random(), addSeconds(referenceDate(), 1000), kind,
                          std::move(details)};
}

EventPipelineConfiguration armed() {
    EventPipelineConfiguration configuration;
    configuration.isArmed = true;
    return configuration;
}

struct MaintenanceCase {
    const char* reason;
    const char* type;
    bool maintenance;
};

}  // namespace

TEST(EventPipeline, MaintenanceWakeRuleAppliesItsStepsInOrder) {
    const MaintenanceCase cases[] = {
        // Type first: "user" wins over any reason, maintenance type words over user reasons.
        {"rtc", "User", false},
        {"lid", "Maintenance", true},
        {"", "Sleep Timer", true},
        // A type without a known word falls through to the reason.
        {"tmr", "Dark Wake", true},
        {"LID0", "Dark Wake", false},
        // Reason: user-action words before timer and network words.
        {"Power Button", "", false},
        {"XHC1 HID rtc", "", false},
        {"RTC/Alarm", "", true},
        {"Wi Fi network", "", true},
        {"bt.wake", "", true},
        {"bt", "", false},
        {"EC.SleepTimer", "", true},
        {"unknown source", "", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EventPipeline::isMaintenanceWake(c.reason, c.type), c.maintenance)
            << "reason '" << c.reason << "' type '" << c.type << "'";
    }
}

TEST(EventPipeline, SummaryFollowsEachKindsRule) {
    using K = SecurityEventKind;
    const std::map<std::string, std::string> none;
    const std::map<std::string, std::string> empty = {{"name", ""}, {"path", ""}};
    const std::map<std::string, std::string> named = {{"name", "Dock"}, {"path", "/media/x"}};
    struct Case {
        K kind;
        const std::map<std::string, std::string>& details;
        std::string summary;
    };
    const Case cases[] = {
        {K::usbAttached, named, "USB attached: Dock"},
        {K::usbAttached, none, "USB attached: USB Device"},
        {K::usbDetached, empty, "USB detached: "},
        {K::volumeMounted, none, "Volume mounted: ?"},
        {K::displayAdded, named, "Display added (Dock)"},
        {K::displayAdded, empty, "Display added"},
        {K::audioOutputChanged, none, "Audio output: (unknown)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EventPipeline::summary(raw(c.kind, c.details)), c.summary) << rawValue(c.kind);
    }
}

TEST(EventPipeline, DisarmedRecordsNothing) {
    auto configuration = armed();
    configuration.isArmed = false;
    configuration.captureUSB = configuration.captureCamera = true;
    for (auto kind : allSecurityEventKinds) {
        EXPECT_FALSE(EventPipeline().process(raw(kind), {}, configuration)) << rawValue(kind);
    }
}

TEST(EventPipeline, KindFilterFollowsItsSwitch) {
    using K = SecurityEventKind;
    struct Case {
        K kind;
        bool EventPipelineConfiguration::*toggle;
    };
    const Case cases[] = {
        {K::usbDetached, &EventPipelineConfiguration::captureUSB},
        {K::volumeMounted, &EventPipelineConfiguration::captureVolumes},
        {K::displayRemoved, &EventPipelineConfiguration::captureDisplay},
        {K::audioOutputChanged, &EventPipelineConfiguration::captureAudio},
    };
    for (const auto& c : cases) {
        auto configuration = armed();
        EXPECT_FALSE(EventPipeline().process(raw(c.kind), {}, configuration)) << rawValue(c.kind);
        configuration.*c.toggle = true;
        auto result = EventPipeline().process(raw(c.kind), {}, configuration);
        ASSERT_TRUE(result) << rawValue(c.kind);
        EXPECT_TRUE(result->shouldAlert);
    }
    for (auto kind : {K::didWake, K::willSleep, K::screenLocked, K::screenUnlocked}) {
        EXPECT_TRUE(EventPipeline().process(raw(kind), {}, armed())) << rawValue(kind);
    }
}

TEST(EventPipeline, BuildsAnUnsealedEventWithTheGivenContext) {
    EventContext context{42, "Home", "Mac", "ann", "stale reason"};
    auto input = raw(SecurityEventKind::screenLocked, {{"wakeReason", "rtc"}});
    auto result = EventPipeline().process(input, context, armed());
    ASSERT_TRUE(result);
    SecurityEvent expected{input.id, input.occurredAt, input.kind,  "Screen locked", context,
                           {},       std::nullopt,     std::nullopt};
    expected.context.wakeReason.reset();
    EXPECT_EQ(result->event, expected);
}

TEST(EventPipeline, WakeReasonJoinsReasonAndType) {
    struct Case {
        std::map<std::string, std::string> details;
        std::optional<std::string> wakeReason;
    };
    const Case cases[] = {
        {{{"wakeReason", "EC.LID0"}, {"wakeType", "Full"}}, "EC.LID0 / Full"},
        {{{"wakeReason", "EC.Lid0"}}, "EC.Lid0"},
        {{{"wakeType", "Full"}, {"wakeReason", ""}}, "Full"},
        {{{"wakeReason", ""}, {"wakeType", ""}}, std::nullopt},
        {{{"other", "x"}}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        EventContext context;
        context.wakeReason = "from provider";
        auto result =
            EventPipeline().process(raw(SecurityEventKind::didWake, c.details), context, armed());
        ASSERT_TRUE(result);
        EXPECT_EQ(result->event.context.wakeReason, c.wakeReason);
        EXPECT_TRUE(result->shouldAlert);
    }
}

TEST(EventPipeline, EvidenceAndAlertDecisions) {
    using K = SecurityEventKind;
    auto screenshots = armed();
    screenshots.captureScreenshots = true;
    auto unlock = raw(K::screenUnlocked);
    EXPECT_EQ(EventPipeline().process(unlock, {}, screenshots)->evidenceRequest,
              (EvidenceCaptureRequest{unlock.id, "Unlock", false, true}));

    auto camera = armed();
    camera.captureCamera = true;
    auto wake = raw(K::didWake, {{"wakeType", "Maintenance"}});
    auto wakeResult = EventPipeline().process(wake, {}, camera);
    EXPECT_EQ(wakeResult->evidenceRequest, (EvidenceCaptureRequest{wake.id, "Wake", true, false}));
    EXPECT_FALSE(wakeResult->shouldAlert);
    camera.alertOnMaintenanceWake = true;
    EXPECT_TRUE(EventPipeline().process(wake, {}, camera)->shouldAlert);

    EXPECT_FALSE(EventPipeline().process(raw(K::didWake), {}, armed())->evidenceRequest);
    camera.captureUSB = true;
    for (auto kind : {K::willSleep, K::screenLocked, K::usbAttached}) {
        auto result = EventPipeline().process(raw(kind), {}, camera);
        EXPECT_FALSE(result->evidenceRequest) << rawValue(kind);
        EXPECT_TRUE(result->shouldAlert) << rawValue(kind);
    }
}
