#include "app/shell/QRCodeImage.h"

#include <memory>

#include <qrencode.h>

namespace veyrune {

namespace {

constexpr int kQuietZone = 4;

}  // namespace

QImage qrCodeImage(const std::string& text, int moduleSize) {
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || moduleSize < 1) {
        return {};
    }
    const int modules = code->width + 2 * kQuietZone;
    QImage image(modules * moduleSize, modules * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // Bit 0 of each byte is the module's colour; the others say how it was placed.
            if ((code->data[y * code->width + x] & 1) == 0) {
                continue;
            }
            for (int dy = 0; dy < moduleSize; ++dy) {
                auto* line =
                    reinterpret_cast<QRgb*>(image.scanLine((y + kQuietZone) * moduleSize + dy));
                for (int dx = 0; dx < moduleSize; ++dx) {
                    line[(x + kQuietZone) * moduleSize + dx] = qRgb(0, 0, 0);
                }
            }
        }
    }
    return image;
}

}  // namespace veyrune
