#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/PosixFileSystem.h"
#include "pipeline/EventPipelineRuntime.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using test::TempDirectory;

namespace {

// Runs a runtime over a real event log and records every handler call in order.
class RuntimeHarness {
  public:
    explicit RuntimeHarness(std::filesystem::path logFile)
        : store(std::move(logFile), PosixFileSystem::shared()) {
        configuration.isArmed = true;
        configuration.captureScreenshots = true;
    }

    EventPipelineRuntime runtime() {
        return EventPipelineRuntime{
            EventPipeline(),
            store,
            [] {
                return EventContext{80, std::nullopt, "Mac", "ann", std::nullopt};
            },
            [this] { return configuration; },
            [this](const SecurityEvent& event) {
                calls.push_back("recorded");
                recorded.push_back(event);
                storedWhenRecorded = store.allEvents().size();
            },
            [this](const AlertCandidate& candidate) {
                calls.push_back("alert");
                candidates.push_back(candidate);
            },
            [this](const EvidenceCaptureRequest&) { calls.push_back("evidence"); },
            [this](const std::exception&) { calls.push_back("error"); },
        };
    }

    JSONLFileSecurityEventStore store;
    EventPipelineConfiguration configuration;
    std::vector<std::string> calls;
    std::vector<SecurityEvent> recorded;
    std::vector<AlertCandidate> candidates;
    std::size_t storedWhenRecorded = 0;
};

RawSystemEvent unlockEvent() {
    return RawSystemEvent{Uuid::random(),
                          addSeconds(referenceDate(), 500),
                          SecurityEventKind::screenUnlocked,
                          {{"extra", "kept"}}};
}

struct EventPipelineRuntimeTest : ::testing::Test {
    TempDirectory folder;
    RuntimeHarness harness{folder / "security-events.jsonl"};
};

}  // namespace

TEST_F(EventPipelineRuntimeTest, AppendsThenTellsThenAlertsThenCaptures) {
    auto input = unlockEvent();
    harness.runtime().handle(input);

    EXPECT_EQ(harness.calls, (std::vector<std::string>{"recorded", "alert", "evidence"}));
    EXPECT_EQ(harness.storedWhenRecorded, 1u);
    ASSERT_EQ(harness.recorded.size(), 1u);
    EXPECT_FALSE(harness.recorded[0].seq);
    EXPECT_FALSE(harness.recorded[0].prev);
    ASSERT_EQ(harness.candidates.size(), 1u);
    EXPECT_EQ(harness.candidates[0].event, harness.recorded[0]);
    EXPECT_EQ(harness.candidates[0].details, input.details);
    auto stored = harness.store.allEvents();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].id, input.id);
    EXPECT_EQ(stored[0].seq, 1);
}

TEST_F(EventPipelineRuntimeTest, FailedAppendReportsOnlyTheError) {
    test::writeFile(folder / "blocker", "a file where the log folder should be");
    RuntimeHarness blocked(folder / "blocker" / "security-events.jsonl");
    blocked.runtime().handle(unlockEvent());
    EXPECT_EQ(blocked.calls, (std::vector<std::string>{"error"}));
}

TEST_F(EventPipelineRuntimeTest, UnrecordedEventTouchesNothing) {
    harness.configuration.isArmed = false;
    harness.runtime().handle(unlockEvent());
    EXPECT_TRUE(harness.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "security-events.jsonl"));
}

TEST_F(EventPipelineRuntimeTest, MaintenanceWakeIsRecordedAndCapturedWithoutAlert) {
    harness.runtime().handle(RawSystemEvent{
        Uuid::random(), referenceDate(), SecurityEventKind::didWake, {{"wakeReason", "RTC"}}});
    EXPECT_EQ(harness.calls, (std::vector<std::string>{"recorded", "evidence"}));
    EXPECT_EQ(harness.recorded.at(0).context.wakeReason, "RTC");
}
