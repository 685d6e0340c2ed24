#include "evidence/qt/QtPhotoAdjuster.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace veyrune::test {
namespace {

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

TEST(QtPhotoAdjusterTest, KnownPixelFollowsTheColourControlsFormula) {
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(qRgba(100, 150, 200, 128));

    QRgb adjusted = applyColorControls(image, ColorControls::photo()).pixel(1, 1);

    // (v/255 - 0.5) * 1.1 + 0.5 + 0.2, clamped: 100 -> 148, 150 -> 203, 200 -> 255.
    EXPECT_EQ(adjusted, qRgba(148, 203, 255, 128));
}

TEST(QtPhotoAdjusterTest, ReencodesDecodablePhotosAsJPEGAndKeepsOthersAsTheyCame) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(100, 100, 100));
    QtPhotoAdjuster adjuster;

    std::string result = adjuster.adjust(encoded(image, "PNG"));

    ASSERT_GE(result.size(), 2u);
    EXPECT_EQ(result.substr(0, 2), "\xFF\xD8") << "JPEG data";
    QImage decoded = QImage::fromData(QByteArray::fromStdString(result));
    EXPECT_NEAR(qRed(decoded.pixel(8, 8)), 148, 2);
    EXPECT_EQ(adjuster.adjust("not a picture"), "not a picture");
}

}  // namespace
}  // namespace veyrune::test
