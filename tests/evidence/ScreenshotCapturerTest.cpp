#include "evidence/ScreenshotCapturer.h"

#include <gtest/gtest.h>

#include "evidence/DisplaySelection.h"
#include "support/FakeScreenSource.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/LabelledQueue.h"
#include "support/ManualCaptureTimerScheduler.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDirectory.h"

namespace veyrune::test {
namespace {

using namespace std::chrono_literals;
using Mode = ScreenshotCapturer::Mode;
using Outcome = ScreenshotCapturer::CaptureOutcome;

struct ScreenshotHarness {
    ScopedTimeZone zone{"EET-2"};
    TempDirectory temp;
    ManualClock clock{*parseISO8601("2026-12-04T22:30:00Z")};
    FaultInjectingFileSystem fileSystem;
    EvidenceLibrary library{fileSystem, clock, temp / "Evidence"};
    ManualSerialQueue work{"work"};
    ManualSerialQueue mainQueue{"main"};
    ManualCaptureTimerScheduler timers;
    QueuedTaskPool pool{work};
    FakeScreenSource source;
    std::vector<std::string> labels;
    ScreenshotCapturer capturer{source,
                                library,
                                clock,
                                timers,
                                pool,
                                [this](const std::string& label) {
                                    labels.push_back(label);
                                    return std::make_shared<LabelledQueue>(work, label);
                                },
                                mainQueue};
    int answers = 0;
    std::optional<Outcome> outcome;

    void setDisplays(std::vector<ScreenDisplay> displays, std::optional<std::uint32_t> main = 1) {
        source.displayList = DisplayList{std::move(displays), main};
        for (const auto& d : source.displayList->displays) {
            source.framesOnStart[d.displayID] = {
                fakeFrame(d.width, d.height, "f" + std::to_string(d.displayID))};
        }
    }
    void capture(Mode mode) {
        capturer.capture(mode, [this](std::optional<Outcome> result) {
            ++answers;
            outcome = result;
        });
        work.drain();
    }
    std::string savedContents() { return readFile(outcome->url); }
};

class ScreenshotCapturerTest : public ::testing::Test, public ScreenshotHarness {};

TEST_F(ScreenshotCapturerTest, StitchesAllDisplaysLeftToRightIntoTodaysFolder) {
    setDisplays({{1, 0, 0, 1920, 1080},
                 {2, -1280, 0, 1280, 1024},
                 {3, 1920, 200, 800, 600},
                 {4, 1920, -800, 800, 600}});

    capture(Mode::allDisplaysStitched);
    EXPECT_EQ(answers, 0) << "answers only on the main queue";
    mainQueue.drain();

    EXPECT_EQ(source.started, (std::vector<std::uint32_t>{2, 1, 4, 3}));
    EXPECT_EQ(labels.front(), "Veyrune.ScreenshotCapturer.display.2");
    ASSERT_EQ(answers, 1);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->displayCount, 4);
    EXPECT_EQ(outcome->url, library.rootURL() / "2026-12-05" / "evidence-2026-12-04T22-30-00Z.png");
    EXPECT_EQ(savedContents(), "png stitched:f2:f1:f4:f3");
    EXPECT_EQ(source.composedLayout->width, 1280 + 1920 + 800 + 800);
    EXPECT_EQ(source.stops[1], 1);
}

TEST(StitchLayoutTest, PutsFramesSideBySideOnTheBottomEdge) {
    EXPECT_EQ(stitchLayout({{1920, 1080}, {1280, 1024}}),
              (StitchLayout{3200, 1080, {{0, 0}, {1920, 56}}}));
    EXPECT_EQ(stitchLayout({{100, 50}, {100, 80}}), (StitchLayout{200, 80, {{0, 30}, {100, 0}}}));
    EXPECT_EQ(stitchLayout({}), std::nullopt);
    EXPECT_EQ(stitchLayout({{0, 100}}), std::nullopt);
    EXPECT_EQ(stitchLayout({{100, 0}}), std::nullopt);
}

TEST(DisplaySelectionTest, PrimaryIsTheMainDisplayElseTheLeftmost) {
    std::vector<ScreenDisplay> displays = {{7, 100, 0, 10, 10}, {8, -50, 0, 10, 10}};
    EXPECT_EQ(primaryDisplay({displays, 7}).at(0).displayID, 7u);
    EXPECT_EQ(primaryDisplay({displays, 99}).at(0).displayID, 8u);
    EXPECT_EQ(primaryDisplay({displays, std::nullopt}).at(0).displayID, 8u);
    EXPECT_TRUE(primaryDisplay({{}, 7}).empty());
}

TEST_F(ScreenshotCapturerTest, SavesTheFrameEachCaseCallsFor) {
    struct Case {
        const char* name;
        Mode mode;
        std::function<void(ScreenshotHarness&)> arrange;
        std::vector<std::uint32_t> started;
        int displayCount;
        const char* saved;
    };
    std::vector<Case> cases = {
        {"primary is the main display", Mode::primaryOnly, [](auto&) {}, {1}, 1, "png f1"},
        {"frame without picture is skipped",
         Mode::primaryOnly,
         [](auto& t) {
             t.source.framesOnStart[1] = {std::nullopt, fakeFrame(1920, 1080, "second"),
                                          fakeFrame(1920, 1080, "third")};
         },
         {1},
         1,
         "png second"},
        {"failed stitch saves the leftmost frame",
         Mode::allDisplaysStitched,
         [](auto& t) { t.source.failCompose = true; },
         {2, 1},
         2,
         "png f2"},
    };
    for (const auto& c : cases) {
        ScreenshotHarness t;
        t.setDisplays({{2, -1280, 0, 1280, 1024}, {1, 0, 0, 1920, 1080}});
        c.arrange(t);
        t.capture(c.mode);
        t.mainQueue.drain();
        EXPECT_EQ(t.source.started, c.started) << c.name;
        ASSERT_TRUE(t.outcome) << c.name;
        EXPECT_EQ(t.outcome->displayCount, c.displayCount) << c.name;
        EXPECT_EQ(t.savedContents(), c.saved) << c.name;
        EXPECT_EQ(t.timers.pendingCount(), 0u) << c.name << ": the time-out is cancelled";
    }
}

TEST_F(ScreenshotCapturerTest, SilentDisplayTimesOutAndTheNextOneFollowsOnlyThen) {
    setDisplays({{1, 0, 0, 1920, 1080}, {2, 1920, 0, 1280, 1024}});
    source.framesOnStart.erase(1);

    capture(Mode::allDisplaysStitched);
    EXPECT_EQ(source.started, std::vector<std::uint32_t>{1}) << "one display after another";

    timers.advance(4999ms);
    work.drain();
    EXPECT_EQ(source.started.size(), 1u);

    timers.advance(1ms);
    work.drain();
    source.deliver(1, fakeFrame(1920, 1080, "late"));
    work.drain();
    mainQueue.drain();

    EXPECT_EQ(source.started, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(source.stops[1], 1);
    ASSERT_EQ(answers, 1);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->displayCount, 1);
    EXPECT_EQ(savedContents(), "png f2") << "a single frame is saved unstitched";
    EXPECT_FALSE(source.composedLayout);
}

TEST_F(ScreenshotCapturerTest, EveryFailureAnswersNothingOnce) {
    struct Case {
        const char* name;
        std::function<void(ScreenshotHarness&)> arrange;
    };
    std::vector<Case> cases = {
        {"no permission", [](auto& t) { t.source.permission = false; }},
        {"display list unavailable", [](auto& t) { t.source.displayList.reset(); }},
        {"no displays", [](auto& t) { t.source.displayList->displays.clear(); }},
        {"stream cannot start",
         [](auto& t) {
             t.source.failingStarts = {1, 2};
         }},
        {"encoding fails", [](auto& t) { t.source.failEncode = true; }},
        {"write fails", [](auto& t) { t.fileSystem.failWrites(); }},
        {"day folder fails",
         [](auto& t) { t.fileSystem.failCreating(t.library.rootURL() / "2026-12-05"); }},
    };
    for (const auto& c : cases) {
        ScreenshotHarness t;
        t.setDisplays({{1, 0, 0, 1920, 1080}, {2, 1920, 0, 1280, 1024}});
        c.arrange(t);
        t.capture(Mode::allDisplaysStitched);
        for (int i = 0; i < 3; ++i) {
            t.timers.advance(5s);
            t.work.drain();
        }
        t.mainQueue.drain();
        EXPECT_EQ(t.answers, 1) << c.name;
        EXPECT_FALSE(t.outcome) << c.name;
    }
}

// The desktop portal hands over one picture of the whole desktop.
TEST_F(ScreenshotCapturerTest, WholeDesktopSourceGrabsOnceAndCountsEveryDisplay) {
    setDisplays({{1, 0, 0, 1920, 1080}, {2, -1280, 100, 1280, 1024}, {3, 1920, 0, 800, 600}});
    source.scope = ScreenGrabScope::wholeDesktop;
    source.framesOnStart[0] = {fakeFrame(4000, 1124, "desktop")};

    capture(Mode::allDisplaysStitched);
    mainQueue.drain();

    EXPECT_EQ(source.startedDisplays, (std::vector<ScreenDisplay>{{0, -1280, 0, 4000, 1124}}));
    EXPECT_EQ(labels, std::vector<std::string>{"Veyrune.ScreenshotCapturer.desktop"});
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->displayCount, 3);
    EXPECT_EQ(savedContents(), "png desktop") << "saved as it came, not stitched again";
    EXPECT_FALSE(source.composedLayout);

    capture(Mode::primaryOnly);
    mainQueue.drain();
    EXPECT_EQ(source.startedDisplays.back(), (ScreenDisplay{1, 0, 0, 1920, 1080}));
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->displayCount, 1);
}

TEST_F(ScreenshotCapturerTest, SilentWholeDesktopSourceAnswersNothingAfterFiveSeconds) {
    setDisplays({{1, 0, 0, 1920, 1080}, {2, 1920, 0, 1280, 1024}});
    source.scope = ScreenGrabScope::wholeDesktop;

    capture(Mode::allDisplaysStitched);
    timers.advance(4999ms);
    work.drain();
    mainQueue.drain();
    EXPECT_EQ(answers, 0);

    timers.advance(1ms);
    work.drain();
    mainQueue.drain();
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(outcome);
    EXPECT_EQ(source.stops[0], 1) << "the request is given up";
}

}  // namespace
}  // namespace veyrune::test
