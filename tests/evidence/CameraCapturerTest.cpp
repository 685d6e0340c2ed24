#include "evidence/CameraCapturer.h"

#include <gtest/gtest.h>

#include "support/FakeCameraDevice.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ManualCaptureTimerScheduler.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDirectory.h"

namespace veyrune::test {
namespace {

using namespace std::chrono_literals;
using Answer = std::optional<std::filesystem::path>;

struct CameraHarness {
    ScopedTimeZone zone{"EET-2"};
    TempDirectory temp;
    ManualClock clock{*parseISO8601("2026-12-04T22:30:00Z")};
    FaultInjectingFileSystem fileSystem;
    EvidenceLibrary library{fileSystem, clock, temp / "Evidence"};
    ManualSerialQueue queue{CameraCapturer::queueLabel};
    ManualSerialQueue mainQueue{"main"};
    ManualCaptureTimerScheduler timers;
    FakeCameraDevice device;
    FakePhotoAdjuster adjuster;
    std::shared_ptr<CameraCapturer> capturer =
        CameraCapturer::make({queue, mainQueue, device, adjuster, timers, library, clock});
    std::filesystem::path expectedURL =
        library.rootURL() / "2026-12-05" / "evidence-2026-12-04T22-30-00Z.jpg";

    // Answers by request number, in the order they came.
    std::vector<std::pair<int, Answer>> answers;
    int requests = 0;

    void request() {
        int number = requests++;
        capturer->capturePhoto([this, number](Answer url) { answers.emplace_back(number, url); });
        queue.drain();
    }
    void advance(std::chrono::milliseconds step) {
        timers.advance(step);
        queue.drain();
    }
    PhotoCallbacks& shot(std::size_t session = 0) {
        return device.sessions.at(session)->captures.at(0);
    }
    void settle() {
        queue.drain();
        mainQueue.drain();
    }
};

class CameraCapturerTest : public ::testing::Test, public CameraHarness {};

TEST_F(CameraCapturerTest, NoCameraAnswersNothingAtOnce) {
    device.hasCamera = false;
    request();
    EXPECT_TRUE(answers.empty()) << "answers only on the main queue";
    mainQueue.drain();

    EXPECT_EQ(answers, (std::vector<std::pair<int, Answer>>{{0, std::nullopt}}));
    EXPECT_EQ(timers.pendingCount(), 0u);
}

TEST_F(CameraCapturerTest, TakesLargestPhotoAfterWarmUpAndStoresAdjustedJPEG) {
    device.supported = {{0, 5000}, {1920, 1080}, {1080, 1920}, {640, 480}};
    request();
    auto& session = *device.sessions.at(0);
    EXPECT_TRUE(session.started);
    EXPECT_EQ(session.maxDimensions, (PhotoDimensions{1920, 1080}));

    advance(149ms);
    EXPECT_TRUE(session.captures.empty()) << "the camera settles first";
    advance(1ms);
    ASSERT_EQ(session.captures.size(), 1u);
    EXPECT_EQ(session.requestedSizes.at(0), (PhotoDimensions{1920, 1080}));

    shot().photoProcessed("jpeg", std::nullopt);
    settle();
    shot().captureFinished("late error");
    advance(5s);
    settle();

    EXPECT_EQ(answers, (std::vector<std::pair<int, Answer>>{{0, expectedURL}}));
    EXPECT_EQ(readFile(expectedURL), "adjusted jpeg");
    EXPECT_EQ(session.stops, 1);
}

TEST_F(CameraCapturerTest, SilentCameraAnswersNothingAtFiveSecondsAndIgnoresLatePhoto) {
    request();
    advance(4999ms);
    mainQueue.drain();
    EXPECT_TRUE(answers.empty());

    advance(1ms);
    shot().photoProcessed("late", std::nullopt);
    settle();

    EXPECT_EQ(answers, (std::vector<std::pair<int, Answer>>{{0, std::nullopt}}));
    EXPECT_FALSE(std::filesystem::exists(expectedURL));
    EXPECT_EQ(device.sessions.at(0)->stops, 1);
}

TEST_F(CameraCapturerTest, SecondRequestResetsTheFirstAndBothGetOneAnswer) {
    request();
    advance(150ms);  // the first shot is on its way
    request();
    EXPECT_EQ(device.sessions.at(0)->stops, 1);

    shot(0).photoProcessed("stale", std::nullopt);  // the replaced session answers late
    advance(4900ms);                                // past the first request's time-out
    settle();
    EXPECT_EQ(answers, (std::vector<std::pair<int, Answer>>{{0, std::nullopt}}));
    EXPECT_FALSE(std::filesystem::exists(expectedURL));

    shot(1).photoProcessed("fresh", std::nullopt);
    settle();
    advance(1s);
    settle();

    EXPECT_EQ(answers, (std::vector<std::pair<int, Answer>>{{0, std::nullopt}, {1, expectedURL}}));
    EXPECT_EQ(readFile(expectedURL), "adjusted fresh");
}

TEST_F(CameraCapturerTest, FailuresAnswerNothingAndUndecodableDataIsStoredAsItCame) {
    struct Case {
        const char* name;
        std::function<void(CameraHarness&)> act;
        std::optional<std::string> stored;
    };
    std::vector<Case> cases = {
        {"photo error", [](auto& h) { h.shot().photoProcessed(std::nullopt, "failed"); }, {}},
        {"no photo data", [](auto& h) { h.shot().photoProcessed(std::nullopt, std::nullopt); }, {}},
        {"capture error first", [](auto& h) { h.shot().captureFinished("failed"); }, {}},
        {"write fails",
         [](auto& h) {
             h.fileSystem.failWrites();
             h.shot().photoProcessed("jpeg", std::nullopt);
         },
         {}},
        {"undecodable", [](auto& h) { h.shot().photoProcessed("undecodable", std::nullopt); },
         "undecodable"},
    };
    for (const auto& c : cases) {
        CameraHarness h;
        h.request();
        h.advance(150ms);
        c.act(h);
        h.settle();
        ASSERT_EQ(h.answers.size(), 1u) << c.name;
        EXPECT_EQ(h.answers[0].second.has_value(), c.stored.has_value()) << c.name;
        if (c.stored) {
            EXPECT_EQ(readFile(h.expectedURL), *c.stored);
        }
        EXPECT_EQ(h.device.sessions.at(0)->stops, 1) << c.name;
        EXPECT_EQ(h.timers.pendingCount(), 0u) << c.name;
    }
}

TEST_F(CameraCapturerTest, CapturerGoneBeforeOrDuringARequestStillAnswersAndStopsTheCamera) {
    request();
    auto session = device.sessions.at(0);
    ASSERT_TRUE(session->started);
    capturer->capturePhoto([this](Answer url) { answers.emplace_back(1, url); });  // not yet run
    capturer.reset();
    settle();
    EXPECT_EQ(answers, (std::vector<std::pair<int, Answer>>{{0, std::nullopt}, {1, std::nullopt}}));
    EXPECT_EQ(session->stops, 1);
}

TEST(LargestPhotoDimensionsTest, LargestAreaWithPositiveSidesFirstWinsATie) {
    EXPECT_EQ(largestPhotoDimensions({{1920, 1080}, {1080, 1920}}), (PhotoDimensions{1920, 1080}));
    EXPECT_EQ(largestPhotoDimensions({{640, 480}, {-4000, -4000}, {4000, 0}}),
              (PhotoDimensions{640, 480}));
    EXPECT_EQ(largestPhotoDimensions({{46341, 46341}, {1, 1}}), (PhotoDimensions{46341, 46341}))
        << "areas past 32 bits";
    EXPECT_EQ(largestPhotoDimensions({}), std::nullopt);
}

}  // namespace
}  // namespace veyrune::test
