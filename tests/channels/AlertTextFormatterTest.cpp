#include "channels/AlertTextFormatter.h"

#include <gtest/gtest.h>

using namespace veyrune;

namespace {

SecurityEvent eventWithMachine(std::optional<std::string> machine) {
    SecurityEvent event;
    event.occurredAt = *parseISO8601("2026-12-04T21:44:14Z");
    event.kind = SecurityEventKind::screenUnlocked;
    event.summary = "3 USB devices attached\n- Keyboard\n- Mouse";
    event.context.machineName = std::move(machine);
    return event;
}

TEST(AlertTextFormatter, NoDashWithoutAMachineName) {
    AlertTextFormatter formatter("de_DE", "Europe/Berlin");
    for (const auto& machine : {std::optional<std::string>(), std::optional<std::string>("")}) {
        EXPECT_EQ(formatter.text(eventWithMachine(machine)),
                  "[Veyrune] screenUnlocked\n04.12.26, 22:44:14\n"
                  "3 USB devices attached\n- Keyboard\n- Mouse");
    }
}

TEST(AlertTextFormatter, TimeFollowsTheLocaleAndZoneWithSeconds) {
    Instant instant = *parseISO8601("2026-12-04T21:44:14Z");
    EXPECT_EQ(AlertTextFormatter("de_DE", "UTC").timeText(instant), "04.12.26, 21:44:14");
    EXPECT_EQ(AlertTextFormatter("de_DE", "Asia/Tokyo").timeText(instant), "05.12.26, 06:44:14");
    std::string american = AlertTextFormatter("en_US", "America/New_York").timeText(instant);
    EXPECT_TRUE(american.starts_with("12/4/26, 4:44:14")) << american;
}

}  // namespace
