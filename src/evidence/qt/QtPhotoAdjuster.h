#pragma once

#include <QImage>

#include "evidence/CameraDevice.h"
#include "evidence/ColorControls.h"

namespace veyrune {

// Brightens photos with ColorControls::photo() on QImage and re-encodes them
// as JPEG at Qt's default quality. Any thread.
class QtPhotoAdjuster final : public PhotoAdjusting {
  public:
    std::string adjust(const std::string& photoData) override;
};

// The image with `controls` applied to its colour channels (alpha kept), as ARGB32.
QImage applyColorControls(const QImage& image, const ColorControls& controls);

}  // namespace veyrune
