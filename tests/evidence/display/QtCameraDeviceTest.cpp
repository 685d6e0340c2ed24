#include "evidence/qt/QtCameraDevice.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMediaDevices>

#include "QtTestEnvironment.h"
#include "evidence/CameraCapturer.h"
#include "evidence/qt/QtMultimediaCamera.h"
#include "evidence/qt/QtPhotoAdjuster.h"
#include "support/FakeQtCameraControl.h"
#include "support/ManualCaptureTimerScheduler.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/TempDirectory.h"

namespace veyrune::test {
namespace {

using namespace std::chrono_literals;

// The capturer over a Qt-level camera, on manual time: the capturer's queue
// and timers are driven by the test, the camera's Qt side by the event loop.
struct QtCameraHarness {
    explicit QtCameraHarness(QtCameraOpening& opening) : device{opening} {}

    TempDirectory temp;
    ManualClock clock{*parseISO8601("2026-12-04T21:40:00Z")};
    PosixFileSystem fileSystem;
    EvidenceLibrary library{fileSystem, clock, temp / "Evidence"};
    ManualSerialQueue queue{CameraCapturer::queueLabel};
    GuiMainQueue mainQueue;
    ManualCaptureTimerScheduler timers;
    QtCameraDevice device;
    QtPhotoAdjuster adjuster;
    std::shared_ptr<CameraCapturer> capturer =
        CameraCapturer::make({queue, mainQueue, device, adjuster, timers, library, clock});

    int answers = 0;
    std::optional<std::filesystem::path> url;

    void capture() {
        capturer->capturePhoto([this](std::optional<std::filesystem::path> result) {
            ++answers;
            url = result;
        });
        settle();
    }
    // Lets the queue and the GUI thread hand work to each other until both are idle.
    void settle() {
        for (int i = 0; i < 5; ++i) {
            queue.drain();
            QCoreApplication::processEvents();
        }
    }
    void advanceTo(std::chrono::milliseconds sinceStart) {
        timers.advance(sinceStart - timers.now());
        settle();
    }
};

struct FakeOpeningHolder {
    FakeQtCameraOpening opening;
};

class QtCameraDeviceTest : public ::testing::Test, FakeOpeningHolder, public QtCameraHarness {
  protected:
    QtCameraDeviceTest() : QtCameraHarness(opening) {}
    FakeQtCameraRecord& camera() { return *opening.cameras.at(0); }
};

TEST_F(QtCameraDeviceTest, CameraReadyAfter800MillisecondsGivesAPhoto) {
    capture();
    ASSERT_TRUE(camera().started);
    EXPECT_EQ(camera().resolution, QSize(64, 48)) << "the largest size";

    advanceTo(150ms);
    EXPECT_EQ(camera().captures, 0) << "not shot before the camera is ready";
    advanceTo(800ms);
    EXPECT_EQ(camera().captures, 0);

    camera().becomeReady();
    settle();
    ASSERT_TRUE(waitForEvents([&] { return answers > 0; }));

    EXPECT_EQ(camera().captures, 1);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->filename(), "evidence-2026-12-04T21-40-00Z.jpg");
    QImage photo(QString::fromStdString(url->string()), "JPEG");
    ASSERT_FALSE(photo.isNull());
    EXPECT_EQ(photo.size(), QSize(64, 48));
    EXPECT_GE(camera().stops, 1) << "the camera is stopped after the shot";

    camera().becomeReady();
    advanceTo(6000ms);
    EXPECT_EQ(camera().captures, 1) << "one shot per request";
    EXPECT_EQ(answers, 1);
}

TEST_F(QtCameraDeviceTest, AlreadyReadyCameraShootsAfterTheWarmUp) {
    capture();
    camera().becomeReady();
    settle();
    EXPECT_EQ(camera().captures, 0) << "the warm-up comes first";

    advanceTo(150ms);
    ASSERT_TRUE(waitForEvents([&] { return answers > 0; }));
    EXPECT_EQ(camera().captures, 1);
    EXPECT_TRUE(url);
}

TEST_F(QtCameraDeviceTest, CameraNeverReadyFailsAtFiveSeconds) {
    capture();
    advanceTo(4999ms);
    EXPECT_EQ(answers, 0);

    advanceTo(5000ms);
    ASSERT_TRUE(waitForEvents([&] { return answers > 0; }));
    EXPECT_EQ(url, std::nullopt);
    EXPECT_EQ(camera().captures, 0);
    EXPECT_GE(camera().stops, 1);

    camera().becomeReady();  // too late: nobody listens any more
    settle();
    EXPECT_EQ(camera().captures, 0);
    EXPECT_EQ(answers, 1);
}

TEST_F(QtCameraDeviceTest, CameraErrorBeforeTheShotFailsAtOnce) {
    capture();
    camera().fail("The camera was unplugged");
    settle();
    EXPECT_EQ(answers, 0) << "answered when the photo is asked for";

    advanceTo(150ms);
    ASSERT_TRUE(waitForEvents([&] { return answers > 0; }));
    EXPECT_EQ(url, std::nullopt);
    EXPECT_EQ(timers.now(), 150ms) << "not by the time-out";
}

// Qt Multimedia itself, on a machine without a camera.
TEST(QtMultimediaCameraTest, WithoutCameraTheCaptureAnswersNothingAtOnce) {
    if (!QMediaDevices::videoInputs().isEmpty()) {
        GTEST_SKIP() << "this machine has a camera";
    }
    QtMultimediaCameraOpening opening;
    QtCameraHarness h(opening);  // its timers are never advanced: no time-out can answer
    h.capture();
    ASSERT_TRUE(waitForEvents([&] { return h.answers > 0; }));
    EXPECT_EQ(h.url, std::nullopt);
}

}  // namespace
}  // namespace veyrune::test
