#pragma once

#include <QImage>

#include "evidence/ScreenSource.h"

namespace veyrune {

// A screen picture held as a QImage (ARGB32, premultiplied).
class QtScreenImage final : public ScreenImage {
  public:
    explicit QtScreenImage(QImage image) : image_(std::move(image)) {}
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    const QImage& image() const { return image_; }

  private:
    QImage image_;
};

}  // namespace veyrune
