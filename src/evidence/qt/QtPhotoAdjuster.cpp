#include "evidence/qt/QtPhotoAdjuster.h"

#include <QBuffer>
#include <array>

namespace veyrune {

QImage applyColorControls(const QImage& image, const ColorControls& controls) {
    std::array<std::uint8_t, 256> table;
    for (int v = 0; v < 256; ++v) {
        table[v] = controls.apply8(std::uint8_t(v));
    }
    // Straight (not premultiplied) alpha, so the channels are the colours themselves.
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            QRgb p = line[x];
            line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
        }
    }
    return result;
}

std::string QtPhotoAdjuster::adjust(const std::string& photoData) {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(photoData.data()),
                            int(photoData.size()))) {
        return photoData;
    }
    QImage adjusted = applyColorControls(image, ColorControls::photo());
    if (adjusted.isNull()) {
        return photoData;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!adjusted.save(&buffer, "JPEG")) {
        return photoData;
    }
    return bytes.toStdString();
}

}  // namespace veyrune
