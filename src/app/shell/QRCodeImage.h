#pragma once

#include <QImage>
#include <string>

namespace veyrune {

// `text` as a QR code (error correction M) with the four-module quiet zone
// around it, each module `moduleSize` pixels; black on white. A null image
// when it cannot be encoded (too long). Any thread.
QImage qrCodeImage(const std::string& text, int moduleSize);

}  // namespace veyrune
