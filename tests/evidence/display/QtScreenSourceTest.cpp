#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>

#include "QtTestEnvironment.h"
#include "evidence/ScreenshotCapturer.h"
#include "evidence/qt/QtScreenSource.h"
#include "support/RealScreenshotChain.h"
#include "support/ScopedTimeZone.h"

namespace veyrune::test {
namespace {

using Mode = ScreenshotCapturer::Mode;
using Outcome = ScreenshotCapturer::CaptureOutcome;

// A borderless window filling one monitor with one colour, so a grab shows
// whose pixels it holds.
class ColourWindow final : public QRasterWindow {
  public:
    ColourWindow(QColor colour, QRect area) : colour_(colour) {
        setFlags(Qt::FramelessWindowHint);
        setGeometry(area);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), colour_);
        painted_ = true;
    }

  public:
    bool painted_ = false;

  private:
    QColor colour_;
};

// The real chain under Xvfb: two RandR monitors, LEFT 1920x1080+0+0 (primary)
// and RIGHT 1280x1024+1920+0, grabbed through Qt on asio queues and timers.
class QtScreenSourceTest : public ::testing::Test {
  protected:
    // 00:30 on 5 December local time, still 4 December in UTC.
    ScopedTimeZone zone{"EET-2"};
    QtScreenSource source;
    RealScreenshotChain chain{source, *parseISO8601("2026-12-04T22:30:00Z")};
    EvidenceLibrary& library = chain.library;

    std::optional<Outcome> capture(Mode mode) { return chain.capture(mode); }
};

TEST_F(QtScreenSourceTest,
       StitchesBothMonitorsWithTransparentBandAboveTheShorterOneOrSavesThePrimary) {
    ASSERT_TRUE(source.hasCapturePermission());
    ColourWindow red(Qt::red, QRect(0, 0, 1920, 1080));
    ColourWindow blue(Qt::blue, QRect(1920, 0, 1280, 1024));
    red.show();
    blue.show();
    ASSERT_TRUE(waitForEvents([&] { return red.painted_ && blue.painted_; }));

    auto outcome = capture(Mode::allDisplaysStitched);

    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->displayCount, 2);
    EXPECT_EQ(outcome->url, library.rootURL() / "2026-12-05" / "evidence-2026-12-04T22-30-00Z.png");
    QImage image(QString::fromStdString(outcome->url.string()), "PNG");
    ASSERT_EQ(image.size(), QSize(3200, 1080));
    ASSERT_TRUE(image.hasAlphaChannel());
    int opaqueInBand = 0;
    for (int y = 0; y < 56; ++y) {
        for (int x = 1920; x < 3200; ++x) {
            opaqueInBand += qAlpha(image.pixel(x, y)) != 0;
        }
    }
    EXPECT_EQ(opaqueInBand, 0);
    for (int x : {1920, 2500, 3199}) {
        EXPECT_EQ(qAlpha(image.pixel(x, 56)), 255) << "the right frame starts at row 56";
    }
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0)) << "the left monitor, opaque to the top";
    EXPECT_EQ(image.pixel(1919, 1079), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1920, 56), qRgb(0, 0, 255)) << "the right monitor's own pixels";
    EXPECT_EQ(image.pixel(3199, 1079), qRgb(0, 0, 255));

    auto primary = capture(Mode::primaryOnly);
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->displayCount, 1);
    QImage left(QString::fromStdString(primary->url.string()), "PNG");
    EXPECT_EQ(left.size(), QSize(1920, 1080)) << "the left monitor alone";
    EXPECT_EQ(left.pixel(1919, 1079), qRgb(255, 0, 0));
}

TEST_F(QtScreenSourceTest, ListsMonitorsWithPrimaryFirstInPlace) {
    std::optional<DisplayList> list;
    source.loadDisplays([&](std::optional<DisplayList> found) { list = std::move(found); });
    ASSERT_TRUE(waitForEvents([&] { return list.has_value(); }));

    ASSERT_EQ(list->displays.size(), 2u);
    const auto& left = list->displays[0].x == 0 ? list->displays[0] : list->displays[1];
    const auto& right = list->displays[0].x == 0 ? list->displays[1] : list->displays[0];
    EXPECT_EQ(left, (ScreenDisplay{left.displayID, 0, 0, 1920, 1080}));
    EXPECT_EQ(right, (ScreenDisplay{right.displayID, 1920, 0, 1280, 1024}));
    EXPECT_EQ(list->mainDisplayID, left.displayID);
}

}  // namespace
}  // namespace veyrune::test
