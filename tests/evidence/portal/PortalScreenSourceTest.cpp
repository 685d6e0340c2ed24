#include "evidence/qt/PortalScreenSource.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "PortalTestEnvironment.h"
#include "evidence/ScreenshotCapturer.h"
#include "evidence/qt/ScreenSourceFactory.h"
#include "review/DiagnosticsSnapshot.h"
#include "support/RealScreenshotChain.h"

namespace veyrune::test {
namespace {

using Mode = ScreenshotCapturer::Mode;
using Outcome = ScreenshotCapturer::CaptureOutcome;

// What the portal hands over: the desktop at `scale` device pixels per
// logical pixel, the LEFT monitor red, the RIGHT one blue, with a green
// corner at the RIGHT monitor's top left.
QImage desktopPicture(int scale) {
    QImage picture(3200 * scale, 1080 * scale, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 1920 * scale, 1080 * scale, Qt::red);
    painter.fillRect(1920 * scale, 0, 1280 * scale, 1080 * scale, Qt::blue);
    painter.fillRect(1920 * scale, 0, 100 * scale, 100 * scale, Qt::green);
    return picture;
}

int pixelsNotOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) != colour;
        }
    }
    return count;
}

// The real chain: the capturer on asio queues and timers, the portal source
// on the private bus, the fake portal behind it.
class PortalScreenSourceTest : public ::testing::Test {
  protected:
    PortalScreenSource source;
    RealScreenshotChain chain{source, *parseISO8601("2026-12-04T21:40:00Z")};
    TempDirectory& temp = chain.temp;
    EvidenceLibrary& library = chain.library;
    std::filesystem::path portalFolder = temp / "portal";
    std::unique_ptr<ChildProcess> portal;

    void SetUp() override { std::filesystem::create_directory(portalFolder); }

    void startPortal(const std::string& mode, int scale = 1) {
        desktopPicture(scale).save(QString::fromStdString((temp / "desktop.png").string()));
        portal.reset();  // the earlier one gives up the name first
        portal = startFakePortal(mode, temp / "desktop.png", portalFolder);
        ASSERT_TRUE(portal);
    }
    std::optional<Outcome> capture(Mode mode) { return chain.capture(mode); }
    bool portalFilesRemoved() {
        return waitForEvents([&] { return std::filesystem::is_empty(portalFolder); },
                             std::chrono::seconds(10));
    }
    QImage saved(const Outcome& outcome) {
        return QImage(QString::fromStdString(outcome.url.string()), "PNG");
    }
};

TEST_F(PortalScreenSourceTest, StitchedSavesThePortalsPictureAndPrimaryItsMainScreen) {
    for (int scale : {1, 2}) {
        SCOPED_TRACE("device pixel ratio " + std::to_string(scale));
        startPortal("grant", scale);

        auto stitched = capture(Mode::allDisplaysStitched);
        ASSERT_TRUE(stitched);
        EXPECT_EQ(stitched->displayCount, 2) << "every screen Qt reports";
        QImage whole = saved(*stitched);
        ASSERT_EQ(whole.size(), QSize(3200, 1080)) << "at the desktop's logical size";
        EXPECT_EQ(whole.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(whole.pixel(1919, 1079), qRgb(255, 0, 0));
        EXPECT_EQ(whole.pixel(1925, 5), qRgb(0, 255, 0));
        EXPECT_EQ(whole.pixel(3199, 1079), qRgb(0, 0, 255));
        EXPECT_TRUE(portalFilesRemoved());

        auto primary = capture(Mode::primaryOnly);
        ASSERT_TRUE(primary);
        EXPECT_EQ(primary->displayCount, 1);
        QImage main = saved(*primary);
        ASSERT_EQ(main.size(), QSize(1920, 1080));
        EXPECT_EQ(pixelsNotOf(main, qRgb(255, 0, 0)), 0) << "only the LEFT monitor";
        EXPECT_TRUE(portalFilesRemoved());

        auto request = portal->waitForLine("request ");
        ASSERT_TRUE(request);
        EXPECT_TRUE(request->ends_with("interactive=False")) << *request;
        EXPECT_EQ(source.captureAccess(), ScreenCaptureAccess::granted);
    }
}

TEST_F(PortalScreenSourceTest, RefusalGivesNothingAndTheNotGrantedRowUntilAllowedAgain) {
    startPortal("refuse");

    EXPECT_FALSE(capture(Mode::allDisplaysStitched));

    EXPECT_EQ(source.captureAccess(), ScreenCaptureAccess::refusedByUser);
    auto row = screenshotsRow(true, source.captureAccess());
    EXPECT_EQ(row.state, DiagnosticState::attention);
    EXPECT_EQ(row.detail, "Screen Recording permission is not granted");
    auto note = screenshotsNote(source.captureAccess(), ScreenCaptureMethod::desktopPortal);
    EXPECT_NE(note.find("desktop's settings"), std::string::npos) << note;
    EXPECT_TRUE(portalFilesRemoved());

    startPortal("grant");
    EXPECT_TRUE(capture(Mode::primaryOnly));
    EXPECT_EQ(source.captureAccess(), ScreenCaptureAccess::granted);
}

// Response 2: the desktop ended the request itself, e.g. from a stored "no".
TEST_F(PortalScreenSourceTest, RequestEndedByTheDesktopCountsAsRefused) {
    startPortal("end");
    ASSERT_TRUE(source.hasCapturePermission()) << "the portal answers";

    auto stream = source.startStream({1, 0, 0, 1920, 1080}, [](std::optional<ScreenFrame>) {
        ADD_FAILURE() << "no picture was given";
    });
    EXPECT_TRUE(waitForEvents(
        [&] { return source.captureAccess() == ScreenCaptureAccess::refusedByUser; }));
    stream->stop();
}

TEST_F(PortalScreenSourceTest, SilentPortalGivesNothingAfterTheTimeOut) {
    startPortal("silent");

    EXPECT_FALSE(capture(Mode::allDisplaysStitched));

    // Only the time-out closes a request that was never answered.
    EXPECT_TRUE(portal->waitForLine("closed"));
    EXPECT_TRUE(std::filesystem::is_empty(portalFolder));
}

TEST_F(PortalScreenSourceTest, PictureArrivingAfterTheTimeOutIsRemovedUnseen) {
    startPortal("late");

    EXPECT_FALSE(capture(Mode::primaryOnly));
    auto answered = portal->waitForLine("answered ");

    ASSERT_TRUE(answered);
    EXPECT_TRUE(portalFilesRemoved());
    waitForEvents([] { return false; }, std::chrono::seconds(1));
    EXPECT_FALSE(std::filesystem::exists(library.rootURL())) << "no evidence was written";
}

TEST_F(PortalScreenSourceTest, WithoutPortalThereIsNoPermission) {
    EXPECT_FALSE(source.hasCapturePermission());
    EXPECT_EQ(source.captureAccess(), ScreenCaptureAccess::notGranted);
    EXPECT_FALSE(capture(Mode::allDisplaysStitched));
}

TEST(ScreenSourceFactoryTest, WaylandSessionGetsThePortal) {
    qputenv("XDG_SESSION_TYPE", "wayland");
    auto chosen = makeScreenSource();
    qputenv("XDG_SESSION_TYPE", "x11");
    auto x11 = makeScreenSource();
    qunsetenv("XDG_SESSION_TYPE");

    EXPECT_EQ(chosen.method, ScreenCaptureMethod::desktopPortal);
    EXPECT_EQ(chosen.source->grabScope(), ScreenGrabScope::wholeDesktop);
    EXPECT_EQ(x11.method, ScreenCaptureMethod::x11Display);
    EXPECT_EQ(x11.source->grabScope(), ScreenGrabScope::eachDisplay);
}

}  // namespace
}  // namespace veyrune::test
